// Phones that try to exhaust memory, burn time or never end a transfer: each session ends with
// its result within a bound, the receive holds no more than the object limit, the service is
// restarted and the dialog forgets the transfer.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "obex/ObexServer.h"
#include "tests/app/TransferFixtures.h"
#include "tests/obex/ObexTestPackets.h"

// Bytes allocated by the threads that count (the program's side; the phone's thread does not).
namespace {
std::atomic<int64_t> g_live{0}, g_peak{0};
thread_local bool t_counting = false;
constexpr size_t kHeader = 16;  // keeps malloc's alignment

void* Allocate(size_t n)
{
    char* base = static_cast<char*>(std::malloc(n + kHeader));
    if (!base) throw std::bad_alloc();
    const size_t counted = t_counting ? n : 0;
    *reinterpret_cast<size_t*>(base) = counted;
    const int64_t now = g_live += (int64_t)counted;
    for (int64_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
    }
    return base + kHeader;
}
void Release(void* p) noexcept
{
    if (!p) return;
    char* base = static_cast<char*>(p) - kHeader;
    g_live -= (int64_t)*reinterpret_cast<size_t*>(base);
    std::free(base);
}
}  // namespace

void* operator new(size_t n) { return Allocate(n); }
void* operator new[](size_t n) { return Allocate(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

namespace {

constexpr int32_t kPacket = 8192;          // the program's maximum, as over a serial line
constexpr int32_t kBodyPerPacket = kPacket - 6;
const Bytes kName = UnicodeHeader(OBEX_HI_NAME, u"a.jpg");
const Bytes kJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'};

Bytes ReadPacket(MemoryEnd& end)
{
    Bytes packet(3);
    for (int32_t got = 0; got < 3;) got += end.Receive(packet.data(), got, 3 - got);
    packet.resize((size_t)(packet[1] << 8 | packet[2]));
    for (int32_t got = 3; got < (int32_t)packet.size();)
        got += end.Receive(packet.data(), got, (int32_t)packet.size() - got);
    return packet;
}

uint8_t Exchange(MemoryEnd& end, const Bytes& packet)
{
    for (int32_t sent = 0; sent < (int32_t)packet.size();)
        sent += end.Send(packet.data(), sent, (int32_t)packet.size() - sent);
    return ReadPacket(end)[0];
}

Bytes Body(size_t n, uint8_t id = OBEX_HI_BODY) { return BytesHeader(id, Bytes(n, 'x')); }

// Distinct HTTP lines filling most of a packet; `salt` keeps names apart between packets.
Bytes HttpFlood(int salt)
{
    std::string lines;
    for (int i = 0; lines.size() < (size_t)kPacket - 40; ++i)
        lines += "h" + std::to_string(salt) + "-" + std::to_string(i) + ": v\r\n";
    return BytesHeader(OBEX_HI_HTTP, Text(lines));
}

// A phone that sends `before`, then `repeated(i)` while the answers are CONTINUE (at most
// `repeats` times, 0 = until it is refused), then `after`; any other answer ends it.
struct Session {
    const char* what;
    std::vector<Bytes> before;
    std::function<Bytes(int)> repeated;
    int repeats;
    std::vector<Bytes> after;
    int32_t result;      // of the receive
    uint8_t lastAnswer;  // the phone's last answer
    int maxPackets;      // the bound: the phone has given up or been refused by then
};

// The dialog's own record of the progress it was shown is not the receive's memory.
class Ui : public RecordingUi {
public:
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        t_counting = false;
        RecordingUi::ReportProgress(done, total);
        t_counting = true;
    }
};

const int kCapPackets = (int)(kMaxReceivedObject / kBodyPerPacket) + 2;
const int kIdlePackets = kObexMaxIdlePackets + 2;

TEST(HostileSessions, EachEndsWithinItsBound)
{
    const Bytes put = Packet(0x02, kName);
    const Bytes finalJpeg = Packet(0x82, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY, kJpeg)}));
    const Bytes emptyBodies = [] {
        Bytes b;
        while (b.size() + 3 <= (size_t)kPacket - 3) b = Cat({b, Body(0)});
        return Packet(0x02, b);
    }();
    const Session sessions[] = {
        {"endless PUT", {put}, [](int) { return Packet(0x02, Body(kBodyPerPacket)); }, 0, {},
         kReceiveBadData, OBEX_RSP_TOO_LARGE, kCapPackets},
        {"endless PUT within an announced Length",
         {Packet(0x02, Cat({kName, DoubleWordHeader(OBEX_HI_LENGTH, kMaxReceivedObject)}))},
         [](int) { return Packet(0x02, Body(kBodyPerPacket)); }, 0, {}, kReceiveBadData,
         OBEX_RSP_TOO_LARGE, kCapPackets},
        {"oversized Length",
         {Packet(0x02, Cat({kName, DoubleWordHeader(OBEX_HI_LENGTH, kMaxReceivedObject + 1)}))},
         nullptr, 0, {}, kReceiveBadData, OBEX_RSP_TOO_LARGE, 1},
        {"endless empty continuations", {put}, [](int) { return Packet(0x02); }, 0, {},
         RECEIVE_BAD_REQUEST, OBEX_RSP_BAD_REQUEST, kIdlePackets},
        {"continuations of empty Body headers", {put}, [&](int) { return emptyBodies; }, 0, {},
         RECEIVE_BAD_REQUEST, OBEX_RSP_BAD_REQUEST, kIdlePackets},
        {"HTTP flood", {put}, [](int i) { return Packet(0x02, HttpFlood(i)); }, 0, {},
         RECEIVE_BAD_REQUEST, OBEX_RSP_BAD_REQUEST, kIdlePackets},
        // 200 000 distinct names would take hours to file in a table searched name by name.
        {"HTTP flood with a body", {Packet(0x02, Cat({kName, BytesHeader(OBEX_HI_BODY, {0xFF, 0xD8, 0xFF})}))},
         [](int i) { return Packet(0x02, Cat({HttpFlood(i), Body(1)})); }, 300,
         {finalJpeg, Packet(OBEX_OP_DISCONNECT)},
         RECEIVE_OK, OBEX_RSP_SUCCESS, 303},
        // The PC would throw this object away: the phone must not hear it was delivered.
        {"NEC vNote of an unknown type",
         {Packet(0x82, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY,
                                               Text("X-NEC-TYPE:PNG\r\nBODY;ENCODING=BASE64:YWJj\r\n"))}))},
         nullptr, 0, {}, kReceiveUnknownFormat, 0, 1},
        {"DISCONNECT with a body", {finalJpeg, Packet(0x81, Body(100))}, nullptr, 0, {}, RECEIVE_OK,
         OBEX_RSP_SUCCESS, 2},
        {"DISCONNECT with a body for ever", {finalJpeg},
         [](int) { return Packet(0x01, Body(kBodyPerPacket)); }, 0, {}, kReceiveBadData,
         OBEX_RSP_TOO_LARGE, 10},
    };
    for (const Session& s : sessions) {
        SCOPED_TRACE(s.what);
        MemoryTransports transports(kPacket, false, true);
        FakeMonitor monitor(true, FakeMonitor::NoFault);
        Ui ui;
        KeepingSink sink;
        int packets = 0;
        uint8_t last = 0;
        bool ok;
        {
            PhoneThread phone([&] {
                MemoryEnd& end = transports.phone;
                // However the phone ends, the program is not left waiting for it.
                struct Hang { MemoryEnd& end; ~Hang() { end.Close(); } } up{end};
                Exchange(end, ConnectPacket(OBEX_OP_CONNECT, kPacket));
                // True while the phone may go on: it was not refused.
                auto send = [&](const Bytes& p) {
                    ++packets;
                    last = Exchange(end, p);
                    return last == OBEX_RSP_CONTINUE || last == OBEX_RSP_SUCCESS;
                };
                for (const Bytes& p : s.before)
                    if (!send(p)) return;
                for (int i = 0; s.repeated && (s.repeats == 0 || i < s.repeats); ++i) {
                    // Past the bound the test has failed; the phone stops rather than hang it.
                    if (!send(s.repeated(i)) || last != OBEX_RSP_CONTINUE || packets > s.maxPackets)
                        return;
                }
                for (const Bytes& p : s.after)
                    if (!send(p)) return;
            });
            g_peak = g_live.load();
            const int64_t base = g_live;
            t_counting = true;
            ok = RunReceiveWorker(ui, transports, &monitor, sink, ui.cancelRequested);
            t_counting = false;
            const int64_t peak = g_peak - base;
            std::printf("%-40s peak %lld bytes (limit + %lld)\n", s.what, (long long)peak,
                        (long long)(peak - (int64_t)kMaxReceivedObject));
            // The object limit, the packet buffers of each direction and a few small things.
            EXPECT_LT(peak, (int64_t)kMaxReceivedObject + 3 * kPacket);
        }
        EXPECT_LE(packets, s.maxPackets);
        EXPECT_EQ(s.lastAnswer, last);
        EXPECT_EQ(s.result == RECEIVE_OK, ok);
        EXPECT_EQ(s.result == RECEIVE_OK ? kReceiveInstalled
                                         : ResultMessage(Direction::Receive, s.result, false),
                  ui.LastStatus());
        EXPECT_EQ(s.result == RECEIVE_OK, sink.kept != nullptr);
        // One progress message per packet at most, whatever the packets hold.
        EXPECT_LE(ui.progress.size(), (size_t)packets + 1);
        EXPECT_EQ(1, monitor.starts) << "the service is running again";
        EXPECT_EQ(nullptr, ui.active) << "the dialog no longer holds the transfer";
    }
}

TEST(HostileSessions, PhoneAnsweringContinueForEverEndsTheSend)
{
    MemoryTransports transports(kPacket, false, true);
    FakeMonitor monitor(true, FakeMonitor::NoFault);
    RecordingUi ui;
    int disconnects = 0;
    bool ok;
    {
        PhoneThread phone([&] {
            MemoryEnd& end = transports.phone;
            ReadPacket(end);
            Exchange(end, ConnectPacket(OBEX_RSP_SUCCESS, kPacket));
            for (;;) {
                const uint8_t op = Exchange(end, Packet(OBEX_RSP_CONTINUE));
                if (op == OBEX_OP_PUT) break;  // the End of Body: answered SUCCESS below
            }
            Exchange(end, Packet(OBEX_RSP_SUCCESS));  // answers, and reads the DISCONNECT
            // Beyond the bound the test has failed; the phone hangs up rather than hang it.
            for (disconnects = 1; disconnects <= kObexMaxIdlePackets + 10; ++disconnects)
                Exchange(end, Packet(OBEX_RSP_CONTINUE));
            end.Close();
        });
        SendSettings settings;
        settings.format = FORMAT_DIRECT;
        std::snprintf(settings.fileName, sizeof settings.fileName, "a.jpg");
        ok = RunSendWorker(ui, transports, &monitor, settings, SendPayload{MEDIA_JPEG, kJpeg},
                           ui.cancelRequested);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(ResultMessage(Direction::Send, SEND_REFUSED_BY_PHONE, false), ui.LastStatus());
    EXPECT_LE(disconnects, kObexMaxIdlePackets + 2);
    EXPECT_EQ(1, monitor.starts);
    EXPECT_EQ(nullptr, ui.active);
}

}  // namespace
