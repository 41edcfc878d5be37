// The Linux serial transport on a pseudo-terminal: one holder at a time, the line given back as
// it was, the Windows line's time-outs, and a cancel or a hang-up ending a blocked call.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/support/ExpectError.h"
#include "tests/support/posix/PtyPair.h"
#include "transport/posix/ObexSerialSocket.h"

namespace {

const char kOpenFailed[] = "Open:ポートのオープンに失敗しました。";
const char kReceiveFailed[] = "ObexSerialSocket::Receive:データの受信に失敗しました。";
const char kSendFailed[] = "ObexSerialSocket::Send:データの送信に失敗しました。";

}  // namespace

TEST(PosixSerialLine, HeldByOneOpenerAndGivenBackAsItWas)
{
    PtyPair pty;
    termios before;
    ASSERT_EQ(0, tcgetattr(pty.keep, &before));
    before.c_lflag |= ICANON | ECHO;  // a line as a shell would leave it
    ASSERT_EQ(0, tcsetattr(pty.keep, TCSANOW, &before));

    ObexSerialSocket first(pty.path.c_str()), second(pty.path.c_str());
    first.Open();
    termios during;
    tcgetattr(pty.keep, &during);
    EXPECT_EQ(0u, during.c_lflag & (ICANON | ECHO)) << "raw while open";
    EXPECT_TRUE(first.SetUpLine(921600));
    ExpectObexError([&] { second.Open(); }, 4, kOpenFailed);

    first.Close();
    termios after;
    tcgetattr(pty.keep, &after);
    EXPECT_EQ(before.c_lflag, after.c_lflag);
    EXPECT_EQ(before.c_iflag, after.c_iflag);
    EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after));
    // A closed port stays closed (a cancel before the engine opened it), and is free for others.
    ExpectObexError([&] { first.Open(); }, 4, kOpenFailed);
    ExpectObexError([&] { first.Receive(nullptr, 0, 1); }, 5, kReceiveFailed);
    second.Open();
}

TEST(PosixSerialLine, ReadsEndAtTheLinesTimeOuts)
{
    PtyPair pty;
    ObexSerialSocket port(pty.path.c_str());
    port.Open();
    uint8_t buffer[16] = {};
    EXPECT_EQ(0, port.Receive(buffer, 0, 4)) << "nothing arrives: 0, not a failure";
    ASSERT_EQ(3, write(pty.master, "abc", 3));
    EXPECT_EQ(3, port.Receive(buffer, 2, 10)) << "the line falls silent after three bytes";
    EXPECT_EQ(0, memcmp(buffer + 2, "abc", 3));
    EXPECT_EQ(5, port.Send(reinterpret_cast<const uint8_t*>("hello"), 0, 5));
    char echoed[5];
    ASSERT_EQ(5, read(pty.master, echoed, 5));
    EXPECT_EQ(0, memcmp(echoed, "hello", 5));
}

TEST(PosixSerialLine, CancelAndHangUpEndABlockedCall)
{
    for (bool hangUp : {false, true}) {
        SCOPED_TRACE(hangUp ? "the far end hangs up" : "closed from another thread");
        PtyPair pty;
        ObexSerialSocket port(pty.path.c_str());
        port.Open();
        // 8192 bytes would wait 82 s for the line's time-out.
        auto blocked = std::async(std::launch::async, [&] {
            uint8_t buffer[8192];
            ExpectObexError([&] { port.Receive(buffer, 0, sizeof buffer); }, 5, kReceiveFailed);
        });
        // Given time to block; had it not, it must fail just the same.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        hangUp ? pty.Drop() : port.Close();
        ASSERT_EQ(std::future_status::ready, blocked.wait_for(std::chrono::seconds(20)));
        if (hangUp) {
            ExpectObexError([&] { port.Send(reinterpret_cast<const uint8_t*>("x"), 0, 1); }, 5,
                            kSendFailed);
        }
    }
}
