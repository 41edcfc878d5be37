// Phones that try to exhaust memory, burn time or never end a transfer: each session ends with
// its result within a bound, the receive holds no more than the object limit, the service is
// restarted and the dialog forgets the transfer.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "tests/app/TransferFixtures.h"
#include "tests/support/ObexPackets.h"
#include "tests/support/TestFiles.h"

// Bytes allocated by the thread that counts: the program's side, not the phone's. The library's
// other forms of new and delete (arrays, nothrow) go through these.
namespace {
std::atomic<int64_t> g_live{0}, g_peak{0};
thread_local bool t_counting = false;
}  // namespace

void* operator new(size_t n)
{
    auto* base = static_cast<size_t*>(std::malloc(n + 16));  // 16 keeps malloc's alignment
    if (!base) throw std::bad_alloc();
    *base = t_counting ? n : 0;
    const int64_t now = g_live += (int64_t)*base;
    for (int64_t peak = g_peak; now > peak && !g_peak.compare_exchange_weak(peak, now);) {
    }
    return base + 16 / sizeof(size_t);
}
void operator delete(void* p) noexcept
{
    if (!p) return;
    auto* base = static_cast<size_t*>(p) - 16 / sizeof(size_t);
    g_live -= (int64_t)*base;
    std::free(base);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }

namespace {

constexpr int32_t kPacket = 8192;  // the program's maximum, as over a serial line
constexpr int32_t kBodyPerPacket = kPacket - 6;
const Bytes kName = UnicodeHeader(OBEX_HI_NAME, u"a.jpg");
// A picture that decodes: a received object is installed only then.
const Bytes kJpeg = ReadTestData("pictures/dot.jpg");

// Sends `packet` (if any) and returns the code of the packet that answers it.
uint8_t Exchange(MemoryEnd& end, const Bytes& packet)
{
    for (int32_t sent = 0; sent < (int32_t)packet.size();)
        sent += end.Send(packet.data(), sent, (int32_t)packet.size() - sent);
    Bytes in(3);
    for (int32_t got = 0; got < 3;) got += end.Receive(in.data(), got, 3 - got);
    in.resize((size_t)(in[1] << 8 | in[2]));
    for (int32_t got = 3; got < (int32_t)in.size();) got += end.Receive(in.data(), got, (int32_t)in.size() - got);
    return in[0];
}

Bytes Body(size_t n) { return BytesHeader(OBEX_HI_BODY, Bytes(n, 'x')); }

// The dialog's own record of what it was shown is not the receive's memory.
class Ui : public RecordingUi {
public:
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        t_counting = false;
        RecordingUi::ReportProgress(done, total);
        t_counting = true;
    }
};

// The phone sends `before`, then `repeated(i)` while answered CONTINUE (`repeats` times, 0:
// until refused), then `after`; a refusal ends it.
struct Session {
    const char* what;
    std::vector<Bytes> before;
    std::function<Bytes(int)> repeated;
    int repeats;
    std::vector<Bytes> after;
    int32_t result;      // of the receive
    uint8_t lastAnswer;  // the phone heard last; 0: no answer
    int maxPackets;      // the bound
};

TEST(HostileSessions, EachEndsWithinItsBound)
{
    const Bytes finalJpeg = Packet(0x82, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY, kJpeg)}));
    const auto full = [](int) { return Packet(0x02, Body(kBodyPerPacket)); };
    Bytes emptyBodies;
    while (emptyBodies.size() < (size_t)kPacket - 6) emptyBodies = Cat({emptyBodies, Body(0)});
    const auto http = [](int salt) {  // distinct names, most of a packet, and a byte of picture
        std::string lines;
        for (int i = 0; lines.size() < (size_t)kPacket - 40; ++i)
            lines += "h" + std::to_string(salt) + "-" + std::to_string(i) + ": v\r\n";
        return Packet(0x02, Cat({BytesHeader(OBEX_HI_HTTP, Text(lines)),
                                 BytesHeader(OBEX_HI_BODY, {kJpeg[(size_t)salt + 1]})}));
    };
    const int httpPackets = (int)kJpeg.size() - 1;
    const std::string nec = "X-NEC-TYPE:PNG\r\nBODY;ENCODING=BASE64:YWJj\r\n";
    const int capPackets = (int)(kMaxReceivedObject / kBodyPerPacket) + 2;
    const Session sessions[] = {
        {"endless PUT", {Packet(0x02, kName)}, full, 0, {}, RECEIVE_BAD_DATA, OBEX_RSP_TOO_LARGE, capPackets},
        {"endless PUT within its Length",
         {Packet(0x02, Cat({kName, DoubleWordHeader(OBEX_HI_LENGTH, kMaxReceivedObject)}))}, full, 0, {},
         RECEIVE_BAD_DATA, OBEX_RSP_TOO_LARGE, capPackets},
        {"oversized Length",
         {Packet(0x02, Cat({kName, DoubleWordHeader(OBEX_HI_LENGTH, kMaxReceivedObject + 1)}))}, nullptr,
         0, {}, RECEIVE_BAD_DATA, OBEX_RSP_TOO_LARGE, 1},
        {"endless continuations of empty Body headers", {Packet(0x02, kName)},
         [&](int) { return Packet(0x02, emptyBodies); }, 0, {}, RECEIVE_BAD_REQUEST,
         OBEX_RSP_BAD_REQUEST, kObexMaxIdlePackets + 2},
        // 200 000 distinct names would take hours to file in a table searched name by name.
        {"HTTP flood", {Packet(0x02, Cat({kName, BytesHeader(OBEX_HI_BODY, {kJpeg[0]})}))}, http,
         httpPackets, {Packet(0x82, BytesHeader(OBEX_HI_END_OF_BODY, {})), Packet(OBEX_OP_DISCONNECT)},
         RECEIVE_OK, OBEX_RSP_SUCCESS, httpPackets + 3},
        // The PC would throw this object away: the phone hears Unsupported Media Type.
        {"NEC vNote of an unknown type",
         {Packet(0x82, Cat({kName, BytesHeader(OBEX_HI_END_OF_BODY, Text(nec))}))}, nullptr, 0, {},
         RECEIVE_KIND_REFUSED, 0xCF, 1},
        {"DISCONNECT with a body", {finalJpeg, Packet(0x81, Body(100))}, nullptr, 0, {}, RECEIVE_OK,
         OBEX_RSP_SUCCESS, 2},
        // The object was answered: it stays, whatever the phone does next.
        {"DISCONNECT with a body for ever", {finalJpeg},
         [](int) { return Packet(0x01, Body(kBodyPerPacket)); }, 0, {}, RECEIVE_OK,
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
                struct HangUp { MemoryEnd& end; ~HangUp() { end.Close(); } } up{transports.phone};
                Exchange(transports.phone, ConnectPacket(OBEX_OP_CONNECT, kPacket));
                auto send = [&](const Bytes& p) {
                    ++packets;
                    last = Exchange(transports.phone, p);
                    return last == OBEX_RSP_CONTINUE || last == OBEX_RSP_SUCCESS;
                };
                for (const Bytes& p : s.before)
                    if (!send(p)) return;
                // Past the bound the test has failed: the phone stops rather than hang it.
                for (int i = 0; s.repeated && (s.repeats == 0 || i < s.repeats); ++i)
                    if (!send(s.repeated(i)) || last != OBEX_RSP_CONTINUE || packets > s.maxPackets) return;
                for (const Bytes& p : s.after)
                    if (!send(p)) return;
            });
            g_peak = g_live.load();
            const int64_t base = g_live;
            t_counting = true;
            ok = RunSession(ReceiveRequest(), ui, transports, &monitor, &sink);
            t_counting = false;
            const int64_t peak = g_peak - base;
            std::printf("%-44s peak %lld bytes, limit %+lld\n", s.what, (long long)peak,
                        (long long)(peak - (int64_t)kMaxReceivedObject));
            // The object limit, a packet buffer each way and a few small things.
            EXPECT_LT(peak, (int64_t)kMaxReceivedObject + 3 * kPacket);
        }
        EXPECT_LE(packets, s.maxPackets);
        EXPECT_EQ(s.lastAnswer, last);
        EXPECT_EQ(s.result == RECEIVE_OK, ok && sink.kept);
        EXPECT_EQ(s.result ? ResultMessage(Direction::Receive, s.result, false) : kReceiveInstalled,
                  ui.LastStatus());
        EXPECT_LE(ui.progress.size(), (size_t)packets + 1) << "a message per packet at most";
        EXPECT_EQ(1, monitor.starts) << "the service runs again";
        EXPECT_FALSE(ui.active) << "the dialog no longer follows the transfer";
    }
}

TEST(HostileSessions, PhoneAnsweringContinueForEverEndsTheSend)
{
    MemoryTransports transports(kPacket, false, true);
    FakeMonitor monitor(true, FakeMonitor::NoFault);
    RecordingUi ui;
    int disconnects = 0;
    SendJob job;
    job.kind = MEDIA_JPEG, job.format = FORMAT_DIRECT, job.fileName = "a.jpg", job.body = kJpeg;
    {
        PhoneThread phone([&] {
            MemoryEnd& end = transports.phone;
            Exchange(end, {});
            Exchange(end, ConnectPacket(OBEX_RSP_SUCCESS, kPacket));
            while (Exchange(end, Packet(OBEX_RSP_CONTINUE)) != OBEX_OP_PUT) {
            }
            Exchange(end, Packet(OBEX_RSP_SUCCESS));  // to the End of Body; the DISCONNECT comes
            // Past the bound the test has failed: the phone hangs up rather than hang it.
            for (disconnects = 1; disconnects <= kObexMaxIdlePackets + 10; ++disconnects)
                Exchange(end, Packet(OBEX_RSP_CONTINUE));
            end.Close();
        });
        EXPECT_FALSE(RunSession(SendRequest(job), ui, transports,
                                &monitor));
    }
    EXPECT_EQ(ResultMessage(Direction::Send, SEND_REFUSED_BY_PHONE, false), ui.LastStatus());
    EXPECT_EQ(kObexMaxIdlePackets + 1, disconnects);
    EXPECT_EQ(1, monitor.starts);
    EXPECT_FALSE(ui.active);
}

}  // namespace
