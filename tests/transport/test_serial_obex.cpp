// A whole OBEX session over a Wine COM port against libopenobex on the Linux end of the line
// (tests/support/posix/line_peer.cpp on the far end of COM7): our client sending to its server,
// and its client sending to our server.
#include <gtest/gtest.h>

#include "core/Watchdog.h"

#include <thread>

#include "obex/ObexClient.h"
#include "obex/ObexServer.h"
#include "tests/app/TransferFixtures.h"
#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ObexSerialSocket.h"
#include "transport/win32/Transports.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = (char)((i * 131) ^ (i >> 9));
    return bytes;
}

// Closes the port if the exchange has not ended in time, so a broken peer fails the test
// instead of hanging it.
struct PortWatchdog : Watchdog {
    PortWatchdog(ObexSocket& port, uint32_t limitMs) : Watchdog([&port] { port.Close(); }) { Arm(limitMs); }
};

class Collector : public ObexBodyReceiver {
public:
    void Receive(ObexObject*, const uint8_t* data, int32_t length, bool) override
    {
        bytes.append(reinterpret_cast<const char*>(data), (size_t)length);
    }
    std::string bytes;
};

const char kPictureName[] = "写真ソ表.jpg";  // 0x5C trail bytes included

}  // namespace

TEST(SerialObex, OurClientPutsToOpenObexServer)
{
    REQUIRE_SERIAL_FIXTURE();
    LinePeer peer;
    ASSERT_TRUE(peer.Start("server"));

    const std::string body = Pattern(20000);
    ObexSerialSocket port("COM7");
    {
        ObexClient client(&port);  // opens the port
        port.SetUpLine(115200);
        port.PurgeComm();
        PortWatchdog watchdog(port, 30000);
        client.Connect();
        EXPECT_EQ(client.GetSendCapacity(), 1024) << "libopenobex announces 1024";
        client.SetName(kPictureName);
        client.SetType("image/jpeg");
        client.SetTime(1704164645);  // 2024-01-02 03:04:05 UTC
        client.SetBody(body.data(), (uint32_t)body.size());
        client.SetOperation(0x82);
        client.SendRequest();
        EXPECT_EQ(client.GetResponseCode(), 0x20);
        client.SetOperation(0x81);
        client.SendRequest();
        EXPECT_EQ(client.GetResponseCode(), 0x20);
        EXPECT_FALSE(watchdog.Expired());
    }
    auto result = peer.Result();
    EXPECT_EQ(result["ok"], "1") << result["error"];
    EXPECT_EQ(result["puts"], "1");
    EXPECT_EQ(result["name"], NameHex(kPictureName));
    EXPECT_EQ(result["type"], "image/jpeg");
    EXPECT_EQ(result["length"], "20000");
    EXPECT_EQ(result["time"].substr(0, 15), "20240102T030405");
    const std::vector<uint8_t> received = peer.Body();
    EXPECT_EQ(received.size(), body.size());
    EXPECT_TRUE(received == std::vector<uint8_t>(body.begin(), body.end())) << "body bytes differ";
}

TEST(SerialObex, OpenObexClientPutsToOurServer)
{
    REQUIRE_SERIAL_FIXTURE();
    LinePeer peer;
    const std::string body = Pattern(9000);

    ObexSerialSocket port("COM7");
    ObexServer server(&port);  // opens the port
    port.SetUpLine(115200);
    port.PurgeComm();
    PortWatchdog watchdog(port, 30000);
    ASSERT_TRUE(peer.Push(std::vector<uint8_t>(body.begin(), body.end()), "着うた.mld", "audio/mld",
                          "20240102T030405Z"));

    server.Accept();
    Collector collector;
    server.SetBodyReceiver(&collector);
    server.ReceiveRequest();
    EXPECT_EQ(server.GetOperation(), 0x82);
    ASSERT_NE(server.GetName(), nullptr);
    EXPECT_STREQ(server.GetName(), "着うた.mld");
    ASSERT_NE(server.GetType(), nullptr);
    EXPECT_STREQ(server.GetType(), "audio/mld");
    EXPECT_EQ(server.GetTime(), 1704164645);
    EXPECT_EQ(server.GetLength(), 9000u);
    EXPECT_EQ(collector.bytes.size(), body.size());
    EXPECT_TRUE(collector.bytes == body) << "body bytes differ";
    server.SendResponse(0x20);
    server.ReceiveRequest();
    EXPECT_EQ(server.GetOperation(), 0x81);
    server.SendResponse(0x20);
    EXPECT_FALSE(watchdog.Expired());

    auto result = peer.Result();
    EXPECT_EQ(result["ok"], "1") << result["error"];
    EXPECT_EQ(result["connect"], "32");
    EXPECT_EQ(result["put"], "32");
    EXPECT_EQ(result["disconnect"], "32");
}

TEST(SerialObex, PeerThatGoesSilentIsEndedByClose)
{
    // Nobody answers on the far end: the client's CONNECT waits on the line until the cancel.
    REQUIRE_SERIAL_FIXTURE();
    ObexSerialSocket port("COM7");
    ObexClient client(&port);
    port.SetUpLine(115200);
    port.PurgeComm();
    auto start = Clock::now();
    PortWatchdog watchdog(port, 1500);
    ExpectObexError([&] { client.Connect(); }, 5,
                    "ObexSerialSocket::Receive:データの受信に失敗しました。");
    EXPECT_TRUE(watchdog.Expired());
    EXPECT_LT(ElapsedMs(start), 4000);
}

// The receive and send transfers over COM7 through the program's transport factory, as the
// serial commands run them.
const SerialLine kCom7{"COM7", 115200};

TEST(SerialTransfer, ReceivesAPushedPictureAndSendsOne)
{
    REQUIRE_SERIAL_FIXTURE();
    const std::string jpeg = ReadFileText(WindowsPath(std::string(ZV_TEST_DATA) + "/pictures/dot.jpg"));
    ASSERT_FALSE(jpeg.empty());
    {
        LinePeer peer;
        Win32Transports transports(kCom7);
        RecordingUi ui;
        KeepingSink sink;
        // The phone starts once the port is open and waiting.
        std::thread phone([&] {
            std::unique_lock<std::mutex> g(ui.lock);
            ui.changed.wait(g, [&] { return !ui.statuses.empty() && ui.statuses.back() == "接続待ち中です。"; });
            g.unlock();
            EXPECT_TRUE(peer.Push(std::vector<uint8_t>(jpeg.begin(), jpeg.end()), "dot.jpg", "image/jpeg",
                                  "20240102T030405Z"));
        });
        TransferRequest request = ReceiveRequest();
        request.serial = kCom7;
        const bool ok = RunSession(request, ui, transports, nullptr, &sink);
        phone.join();
        EXPECT_TRUE(ok) << ui.LastStatus();
        const MediaObject* kept = sink.Kept();
        ASSERT_TRUE(kept);
        EXPECT_EQ(MEDIA_JPEG, kept->GetKind());
        EXPECT_EQ(FORMAT_DIRECT, kept->GetFormat());
        EXPECT_TRUE(std::string((const char*)kept->GetBody(), kept->GetBodyLength()) == jpeg);
        EXPECT_TRUE(ui.captions.size() == 1 && ui.captions[0] == "受信完了");
    }
    {
        LinePeer peer;
        ASSERT_TRUE(peer.Start("server"));
        Win32Transports transports(kCom7);
        RecordingUi ui;
        SendJob job;
        job.kind = MEDIA_JPEG, job.format = FORMAT_DIRECT, job.fileName = kPictureName;
        job.time = 1704164645, job.body.assign(jpeg.begin(), jpeg.end());
        TransferRequest request = SendRequest(job);
        request.serial = kCom7;
        EXPECT_TRUE(RunSession(request, ui, transports))
            << ui.LastStatus();
        auto result = peer.Result();
        EXPECT_EQ(result["ok"], "1") << result["error"];
        EXPECT_EQ(result["name"], NameHex(kPictureName));
        EXPECT_TRUE(peer.Body() == std::vector<uint8_t>(jpeg.begin(), jpeg.end()));
    }
}

TEST(SerialTransfer, CancelWhileWaitingForAPhoneEndsTheReceive)
{
    REQUIRE_SERIAL_FIXTURE();
    Win32Transports transports(kCom7);
    RecordingUi ui;
    KeepingSink sink;
    TransferRequest request = ReceiveRequest();
    request.serial = kCom7;
    TransferSession session(request);
    std::thread dialog([&] { ui.CancelWhenShown("接続待ち中です。", session); });
    EXPECT_FALSE(session.Run(ui, transports, nullptr, &sink));
    dialog.join();
    EXPECT_EQ("受信をキャンセルしました。", ui.LastStatus());
}
