// The progress dialog of zorvex.exe under Wine, which has no infrared port: an infrared receive
// runs its worker to a failure that the dialog reports until the user closes it.
#include <gtest/gtest.h>

#include <windows.h>

#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"
#include "tests/transport/TransportTestSupport.h"
#include "transport/win32/ServiceManager.h"

using namespace gui;

namespace {


TEST(GuiTransfer, InfraredReceiveWithoutAPortEndsWithItsMessageUntilClosed)
{
    for (WPARAM close : {(WPARAM)IDC_PROGRESS_BUTTON, (WPARAM)IDCANCEL}) {
        App app;
        ASSERT_NE(nullptr, app.Main());
        app.Command(IDM_IR_RECEIVE);
        HWND dialog = app.WaitDialog("受信失敗");
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_PROGRESS_BUTTON)) != FALSE; }));
        EXPECT_EQ("赤外線ポートが使用できません。", ControlText(dialog, IDC_PROGRESS_STATUS));
        EXPECT_EQ("了解", ControlText(dialog, IDC_PROGRESS_BUTTON));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_PROGRESS_LINE1)));
        PauseForScreenshot("progress dialog");
        // Closing waits for the worker's last message; the button and Escape both close then.
        EXPECT_TRUE(WaitUntil([&] {
            PostMessageA(dialog, WM_COMMAND, close, 0);
            return !IsWindow(dialog);
        }));
        // Nothing was received, so nothing became current.
        app.Command(32773);
        EXPECT_EQ("データを読み込んでいません。", app.TakeMessageBox("画像の情報"));
    }
}

// Escape is heard while the Infrared Monitor is being stopped, before the send has a transport
// and while its button is still off: the send ends as a cancel, with the service running again.
TEST(GuiTransfer, EscapeWhileTheInfraredMonitorStopsCancelsTheSend)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(WindowsPath(ZV_TEST_DATA) + "\\app\\photo.jpg"));
    TestService service("Slow", "Infrared Monitor");
    ServiceManager(service.Name(), nullptr).Start(true);
    ASSERT_EQ((DWORD)SERVICE_RUNNING, service.State());
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    app.Command(IDM_IR_SEND);
    HWND settings = app.WaitDialog("赤外線送信の設定");
    ASSERT_NE(nullptr, settings);
    Click(settings, IDC_FMT_DIRECT);
    Press(settings, IDOK);
    HWND progress = app.WaitDialog("送信中");
    ASSERT_NE(nullptr, progress);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(progress, IDC_PROGRESS_STATUS) == "Infrared Monitorサービスを停止中です。"; }));
    PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    HWND ended = app.WaitDialog("送信失敗", 30000);
    ASSERT_EQ(progress, ended);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(progress, IDC_PROGRESS_BUTTON) == "了解"; }));
    EXPECT_EQ("送信をキャンセルしました。", ControlText(progress, IDC_PROGRESS_STATUS));
    EXPECT_EQ((DWORD)SERVICE_RUNNING, service.State());
    EXPECT_TRUE(WaitUntil([&] {
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        return !IsWindow(progress);
    }));
    EXPECT_TRUE(IsWindow(settings)) << "a failed send keeps the settings dialog";
    Press(settings, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(settings));
}

}  // namespace
