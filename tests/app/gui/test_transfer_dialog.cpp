// The progress dialog of zorvex.exe under Wine, which has no infrared port: an infrared receive
// runs its worker to a failure that the dialog reports until the user closes it.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/app/gui/GuiDriver.h"

using namespace gui;

namespace {

enum { kInfraredReceive = 32774, kStatus = 1020, kLine1 = 1021, kButton = 1019 };

TEST(GuiTransfer, InfraredReceiveWithoutAPortEndsWithItsMessageUntilClosed)
{
    for (WPARAM close : {(WPARAM)kButton, (WPARAM)IDCANCEL}) {
        App app;
        ASSERT_NE(nullptr, app.Main());
        app.Command(kInfraredReceive);
        HWND dialog = app.WaitDialog("受信失敗");
        ASSERT_NE(nullptr, dialog);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kButton)) != FALSE; }));
        EXPECT_EQ("赤外線ポートが使用できません。", ControlText(dialog, kStatus));
        EXPECT_EQ("了解", ControlText(dialog, kButton));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kLine1)));
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

}  // namespace
