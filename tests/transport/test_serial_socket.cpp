// The serial transport on real (Wine) COM ports: COM5 and COM6 are the two ends of one
// pseudo-terminal pair, COM8 is a pair the tests pull away (see scripts/serial-fixture.sh).
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ObexSerialSocket.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kReceiveFailed[] = "ObexSerialSocket::Receive:データの受信に失敗しました。";
const char kSendFailed[] = "ObexSerialSocket::Send:データの送信に失敗しました。";

// Records what the line set-up hands to the platform, and passes it on.
class RecordingSerialSocket : public ObexSerialSocket {
public:
    using ObexSerialSocket::ObexSerialSocket;
    bool GetCommState(DCB* dcb) override
    {
        bool ok = ObexSerialSocket::GetCommState(dcb);
        read = *dcb;
        return ok;
    }
    bool SetCommState(DCB* dcb) override
    {
        written = *dcb;
        ++setStates;
        return ObexSerialSocket::SetCommState(dcb);
    }
    bool SetCommTimeouts(COMMTIMEOUTS* timeouts) override
    {
        this->timeouts = *timeouts;
        return ObexSerialSocket::SetCommTimeouts(timeouts);
    }
    DCB read{};
    DCB written{};
    int setStates = 0;
    COMMTIMEOUTS timeouts{};
};

// Reads until `count` bytes arrived or `limitMs` passed.
std::string ReceiveAll(ObexSerialSocket& port, int32_t count, long long limitMs = 5000)
{
    std::string text((size_t)count, '\0');
    int32_t total = 0;
    auto start = Clock::now();
    while (total < count && ElapsedMs(start) < limitMs) {
        total += port.Receive(reinterpret_cast<uint8_t*>(&text[0]), total, count - total);
    }
    text.resize((size_t)total);
    return text;
}

class SerialPair : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_SERIAL_FIXTURE();
        left.Open();
        right.Open();
        left.SetUpLine(115200);
        right.SetUpLine(115200);
        left.PurgeComm();
        right.PurgeComm();
    }
    ObexSerialSocket left{"COM5"};
    ObexSerialSocket right{"COM6"};
};

}  // namespace

TEST(SerialSocket, DevicePathAndFixedFacts)
{
    ObexSerialSocket port("COM12");
    EXPECT_STREQ(port.GetDevicePath(), "\\\\.\\COM12");
    EXPECT_EQ(port.GetMaxPacketSize(), 8192);
    port.Accept();  // a serial line has no connection set-up: neither touches the port
    port.Connect();
}

TEST(SerialSocket, InertObjectTouchesNoDevice)
{
    ObexSerialSocket port(nullptr);
    EXPECT_EQ(port.GetDevicePath(), nullptr);
    port.Open();
    port.Close();
    port.Close();
    uint8_t byte = 0;
    ExpectObexError([&] { port.Receive(&byte, 0, 1); }, 5, kReceiveFailed);
    ExpectObexError([&] { port.Send(&byte, 0, 1); }, 5, kSendFailed);
}

TEST(SerialSocket, TransferWithoutAWaitEventFailsWithCode5)
{
    // Answering "no data" instead would have the engine read again for ever.
    class EventlessSerialSocket : public ObexSerialSocket {
    public:
        using ObexSerialSocket::ObexSerialSocket;

    protected:
        HANDLE CreateTransferEvent() override { return nullptr; }
    };
    REQUIRE_SERIAL_FIXTURE();
    EventlessSerialSocket port("COM5");
    port.Open();
    uint8_t byte = 0;
    ExpectObexError([&] { port.Receive(&byte, 0, 1); }, 5, kReceiveFailed);
    ExpectObexError([&] { port.Send(&byte, 0, 1); }, 5, kSendFailed);
}

TEST(SerialSocket, MissingPortFailsOpenWithCode4)
{
    ObexSerialSocket port("COM97");
    ExpectObexError([&] { port.Open(); }, 4, "Open:ポートのオープンに失敗しました。");
    uint8_t byte = 0;
    ExpectObexError([&] { port.Receive(&byte, 0, 1); }, 5, kReceiveFailed);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    EXPECT_FALSE(port.GetCommState(&dcb));
    EXPECT_FALSE(port.PurgeComm());
}

TEST(SerialSocket, PortHeldByAnotherHandleFailsOpenWithCode4)
{
    REQUIRE_SERIAL_FIXTURE();
    ObexSerialSocket first("COM5");
    first.Open();
    ObexSerialSocket second("com5");
    ExpectObexError([&] { second.Open(); }, 4, "Open:ポートのオープンに失敗しました。");
    ObexSerialSocket other("COM6");
    other.Open();  // another port is not affected
    first.Close();
    second.Open();  // free again once the first holder let go
}

TEST(SerialSocket, LineSetUpChangesOnlySpeedByteSizeDtrAndRts)
{
    REQUIRE_SERIAL_FIXTURE();
    RecordingSerialSocket port("COM5");
    port.Open();
    DCB before{};
    before.DCBlength = sizeof before;
    ASSERT_TRUE(port.GetCommState(&before));
    before.ByteSize = 7;
    before.BaudRate = 9600;
    before.fDtrControl = DTR_CONTROL_DISABLE;
    before.fRtsControl = RTS_CONTROL_DISABLE;
    ASSERT_TRUE(port.SetCommState(&before));

    port.SetUpLine(57600);
    EXPECT_EQ(port.setStates, 2);
    EXPECT_EQ(port.read.DCBlength, 28u);
    EXPECT_EQ(port.written.BaudRate, 57600u);
    EXPECT_EQ(port.written.ByteSize, 8);
    EXPECT_EQ(port.written.fDtrControl, (DWORD)DTR_CONTROL_ENABLE);
    EXPECT_EQ(port.written.fRtsControl, (DWORD)RTS_CONTROL_ENABLE);
    // Everything else is what the port had.
    DCB expected = port.read;
    expected.BaudRate = 57600;
    expected.ByteSize = 8;
    expected.fDtrControl = DTR_CONTROL_ENABLE;
    expected.fRtsControl = RTS_CONTROL_ENABLE;
    EXPECT_EQ(std::memcmp(&expected, &port.written, sizeof expected), 0);

    DCB after{};
    after.DCBlength = sizeof after;
    ASSERT_TRUE(port.GetCommState(&after));
    EXPECT_EQ(after.BaudRate, 57600u);
    EXPECT_EQ(after.ByteSize, 8);

    EXPECT_EQ(port.timeouts.ReadIntervalTimeout, 500u);
    EXPECT_EQ(port.timeouts.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant, 500u);
    EXPECT_EQ(port.timeouts.WriteTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(port.timeouts.WriteTotalTimeoutConstant, 500u);

    COMMPROP properties{};
    EXPECT_TRUE(port.GetCommProperties(&properties));
    EXPECT_TRUE(port.PurgeComm());
    port.Close();
    EXPECT_FALSE(port.GetCommState(&after)) << "no calls on a closed port";
}

TEST_F(SerialPair, BytesCrossInBothDirections)
{
    const uint8_t hello[] = "xxHELLO";
    int32_t sent = 0;
    while (sent < 5) sent += left.Send(hello, 2 + sent, 5 - sent);
    EXPECT_EQ(ReceiveAll(right, 5), "HELLO");

    std::string big(3000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = (char)(i * 7);
    const auto* bytes = reinterpret_cast<const uint8_t*>(big.data());
    sent = 0;
    while (sent < (int32_t)big.size()) sent += right.Send(bytes, sent, (int32_t)big.size() - sent);
    EXPECT_EQ(ReceiveAll(left, (int32_t)big.size()), big) << "binary bytes, 0x00 and 0xFF included";
}

TEST_F(SerialPair, ReceiveWithNothingArrivingReturnsZeroAtTheTimeOut)
{
    uint8_t buffer[20];
    EXPECT_EQ(left.Receive(buffer, 0, 20), 0);  // the line's time-outs: 10 x 20 + 500 ms
}

TEST_F(SerialPair, ReceiveReturnsWhatArrivedBeforeTheIntervalTimeOut)
{
    const uint8_t abc[] = "abc";
    ASSERT_EQ(right.Send(abc, 0, 3), 3);
    uint8_t buffer[64] = {};
    int32_t got = left.Receive(buffer, 10, 64);
    EXPECT_EQ(got, 3);
    EXPECT_EQ(std::memcmp(buffer + 10, "abc", 3), 0);
}

TEST_F(SerialPair, ReceiveAndSendAfterCloseThrowCode5AndCloseTwiceIsHarmless)
{
    left.Close();
    left.Close();
    uint8_t buffer[4] = {};
    ExpectObexError([&] { left.Receive(buffer, 0, 4); }, 5, kReceiveFailed);
    ExpectObexError([&] { left.Send(buffer, 0, 4); }, 5, kSendFailed);
    // The port is free again: Close really released it.
    ObexSerialSocket again("COM5");
    again.Open();
}

TEST_F(SerialPair, CloseFromAnotherThreadStopsABlockedReceiveAtOnce)
{
    // A read of 8192 bytes would otherwise wait 10 x 8192 + 500 ms for its time-out.
    std::atomic<bool> started{false};
    std::thread canceller([&] {
        while (!started) Sleep(1);
        Sleep(200);
        left.Close();
    });
    uint8_t buffer[8192];
    auto start = Clock::now();
    started = true;
    ExpectObexError([&] { left.Receive(buffer, 0, sizeof buffer); }, 5, kReceiveFailed);
    canceller.join();
    EXPECT_LT(ElapsedMs(start), 2000);
}

TEST_F(SerialPair, CloseFromAnotherThreadAtAnyMomentNeverHangs)
{
    // Close lands before, during or between calls; every path ends in code 5 or a clean stop.
    left.Close();
    for (DWORD delay : {0u, 1u, 5u, 20u, 60u}) {
        ObexSerialSocket port("COM5");
        port.Open();
        port.SetUpLine(115200);
        std::thread canceller([&] {
            Sleep(delay);
            port.Close();
        });
        auto start = Clock::now();
        uint8_t buffer[512] = {};
        try {
            for (int i = 0; i < 50; ++i) {
                port.Send(buffer, 0, sizeof buffer);
                port.Receive(buffer, 0, 16);
            }
            ADD_FAILURE() << "the loop outlived the Close";
        } catch (const ZvError& e) {
            EXPECT_EQ(e.GetCode(), 5);
        }
        canceller.join();
        EXPECT_LT(ElapsedMs(start), 3000) << "delay " << delay;
    }
    // No handle leaked: the port opens again.
    ObexSerialSocket again("COM5");
    again.Open();
}

TEST(SerialSocket, PortThatVanishesMidTransferEndsWithCode5)
{
    REQUIRE_SERIAL_FIXTURE();
    ObexSerialSocket port("COM8");
    port.Open();
    port.SetUpLine(115200);
    // The Linux end goes away while a read waits for it.
    std::thread puller([&] {
        Sleep(200);
        ASSERT_TRUE(PullGonePair());
    });
    uint8_t buffer[4096] = {};
    auto start = Clock::now();
    bool threw = false;
    try {
        for (int i = 0; i < 40 && ElapsedMs(start) < 15000; ++i) {
            port.Receive(buffer, 0, sizeof buffer);
            port.Send(buffer, 0, sizeof buffer);
        }
    } catch (const ZvError& e) {
        threw = true;
        EXPECT_EQ(e.GetCode(), 5);
    }
    puller.join();
    EXPECT_TRUE(threw) << "a vanished port must not look like a silent line for ever";
    EXPECT_LT(ElapsedMs(start), 15000);
    port.Close();
}

// A cancel may come before the engine opens the port: the port stays closed and free.
TEST(SerialSocket, CloseBeforeOpenKeepsThePortClosedAndFree)
{
    REQUIRE_SERIAL_FIXTURE();
    {
        ObexSerialSocket port("COM5");
        port.Close();
        ExpectObexError([&] { port.Open(); }, 4, "Open:ポートのオープンに失敗しました。");
        uint8_t buffer[2];
        EXPECT_THROW(port.Receive(buffer, 0, 2), ZvError);
    }  // destruction after Close releases nothing twice
    ObexSerialSocket again("COM5");
    again.Open();
}
