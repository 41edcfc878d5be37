// The transfers over infrared through the program's transport factory: the real IrDA
// transport over a scripted WinSock whose far end plays a phone, and the Infrared Monitor bracket
// against our test service registered under that name.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "tests/app/TransferFixtures.h"
#include "tests/transport/FakeWinSock.h"
#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ServiceManager.h"
#include "tests/support/TestFiles.h"
#include "transport/win32/Transports.h"

namespace {

const std::optional<SerialLine> kInfrared;  // no serial port chosen
const std::string kJpeg = ReadFileText(WindowsPath(std::string(ZV_TEST_DATA) + "/pictures/dot.jpg"));

// A phone "P903i" that connects, PUTs "dot.jpg" in one packet and disconnects, one byte per
// recv; the requests are written out by hand.
void PhonePutsPicture(FakeWinSock& api, const std::string& jpeg)
{
    const std::string name("\0d\0o\0t\0.\0j\0p\0g\0\0", 16);
    const size_t bodyHeader = 3 + jpeg.size(), put = 3 + (3 + name.size()) + 5 + bodyHeader;
    std::string bytes("\x80\x00\x07\x10\x00\x08\x00", 7);
    bytes += {'\x82', (char)(put >> 8), (char)put, '\x01', 0, (char)(3 + name.size())};
    bytes += name;
    bytes += {'\xC3', 0, 0, (char)(jpeg.size() >> 8), (char)jpeg.size()};
    bytes += {'\x49', (char)(bodyHeader >> 8), (char)bodyHeader};
    bytes += jpeg;
    bytes += std::string("\x81\x00\x03", 3);
    api.incoming = bytes;
    api.recvPlan.assign(bytes.size(), 1);
    api.devicesOnConnection = {FakeDevice{{0x11, 0x22, 0x33, 0x44}, "P903i"}};
}

bool Shown(RecordingUi& ui, const char* text)
{
    std::lock_guard<std::mutex> g(ui.lock);
    return std::find(ui.statuses.begin(), ui.statuses.end(), text) != ui.statuses.end();
}

}  // namespace

TEST(InfraredTransfer, ReceivesWhatAPhonePuts)
{
    const std::string& jpeg = kJpeg;
    ASSERT_EQ(jpeg.size(), 286u);
    FakeWinSock api;
    PhonePutsPicture(api, jpeg);
    Win32Transports transports(kInfrared, &api);
    RecordingUi ui;
    KeepingSink sink;
    EXPECT_TRUE(RunSession(ReceiveRequest(), ui, transports, nullptr, &sink)) << ui.LastStatus();
    const MediaObject* kept = sink.Kept();
    ASSERT_TRUE(kept);
    EXPECT_EQ(MEDIA_JPEG, kept->GetKind());
    EXPECT_EQ(FORMAT_DIRECT, kept->GetFormat());
    EXPECT_TRUE(std::string((const char*)kept->GetBody(), kept->GetBodyLength()) == jpeg);
    EXPECT_TRUE(std::find(ui.captions.begin(), ui.captions.end(), "デバイス〝P903i〟より受信中") != ui.captions.end());
    // Success to CONNECT (version 1.0, our 2048-byte packets), PUT and DISCONNECT.
    EXPECT_EQ(api.sent, std::string("\xA0\x00\x07\x10\x00\x08\x00\xA0\x00\x03\xA0\x00\x03", 13));
    EXPECT_EQ(api.OpenCount(), 0u);
}

TEST(InfraredTransfer, CancelWhileNoPhoneConnectsEndsTheReceive)
{
    FakeWinSock api;
    api.acceptBlocks = true;
    Win32Transports transports(kInfrared, &api);
    RecordingUi ui;
    KeepingSink sink;
    TransferSession session(ReceiveRequest());
    std::thread dialog([&] { ui.CancelWhenShown("接続待ち中です。", session); });
    EXPECT_FALSE(session.Run(ui, transports, nullptr, &sink));
    dialog.join();
    EXPECT_EQ("受信をキャンセルしました。", ui.LastStatus());
    EXPECT_FALSE(sink.kept);
    EXPECT_EQ(api.OpenCount(), 0u);
}

// No phone in range: the send keeps searching (one budget of 100 searches after another) and
// shows "接続待ち中です。" until the user cancels.
TEST(InfraredTransfer, SendWithNoPhoneInRangeWaitsUntilCancelled)
{
    FakeWinSock api;  // no search finds a device
    std::atomic<int> pauses{0};
    api.onSleep = [&](int n) { pauses = n; };
    Win32Transports transports(kInfrared, &api);
    RecordingUi ui;
    const std::string& jpeg = kJpeg;
    SendJob job;
    job.kind = MEDIA_JPEG, job.format = FORMAT_DIRECT, job.fileName = "dot.jpg";
    job.body.assign(jpeg.begin(), jpeg.end());
    TransferSession session(SendRequest(job));
    std::atomic<bool> finished{false};
    std::thread dialog([&] {
        // Into the second round of searches, unless the send gave up on its own.
        while (pauses < 150 && !finished) std::this_thread::yield();
        if (!finished) ui.CancelWhenShown("接続待ち中です。", session);
    });
    EXPECT_FALSE(session.Run(ui, transports, nullptr, nullptr));
    finished = true;
    dialog.join();
    EXPECT_GE(pauses, 150);
    EXPECT_EQ("送信をキャンセルしました。", ui.LastStatus());
    EXPECT_EQ("送信失敗", ui.captions.back());
    EXPECT_FALSE(Shown(ui, "接続する相手が見つかりませんでした。"));
    EXPECT_EQ(api.OpenCount(), 0u);
}

TEST(InfraredTransfer, InfraredMonitorIsQuietDuringTheTransferOrOnlyReported)
{
    struct Case {
        bool installed;
        std::vector<const char*> statuses;
    } cases[] = {
        {true, {"Infrared Monitorサービスを停止しました。", "Infrared Monitorサービスを開始しました。"}},
        {false, {"Infrared Monitorサービスの操作に失敗しました。"}},
    };
    const std::string& jpeg = kJpeg;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installed ? "installed and running" : "not installed");
        std::unique_ptr<TestService> service;
        if (c.installed) {
            service = std::make_unique<TestService>("Normal", "Infrared Monitor");
            ServiceManager(service->Name(), nullptr).Start(true);
            ASSERT_EQ(service->State(), (DWORD)SERVICE_RUNNING);
        }
        FakeWinSock api;
        PhonePutsPicture(api, jpeg);
        DWORD during = 0;
        if (service) api.duringAccept = [&] { during = service->State(); };
        Win32Transports transports(kInfrared, &api);
        Win32InfraredMonitor monitor;
        RecordingUi ui;
        KeepingSink sink;
        EXPECT_TRUE(RunSession(ReceiveRequest(), ui, transports, &monitor, &sink)) << ui.LastStatus();
        EXPECT_TRUE(sink.Kept());
        for (const char* text : c.statuses) EXPECT_TRUE(Shown(ui, text)) << text;
        if (service) {
            EXPECT_EQ(during, (DWORD)SERVICE_STOPPED);
            EXPECT_EQ(service->State(), (DWORD)SERVICE_RUNNING);
        }
    }
}
