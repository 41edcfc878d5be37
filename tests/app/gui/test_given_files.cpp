// GUI tests of the serial line the program remembers per user.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"

using namespace gui;

namespace {

const char kStoreKey[] = "Software\\Zorvex for Windows";

// Every GUI test starts and ends with nothing remembered: the store is the prefix's, shared by
// all the tests, and the other tests expect the designed preselections.
class ForgetBetweenTests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey); }
    void OnTestEnd(const ::testing::TestInfo&) override { RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey); }
};
const bool kForgetting = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetBetweenTests);
    return true;
}();


// The serial settings dialog of a serial receive: the selected port's index and the checked speed.
HWND OpenSerial(App& app, int* selection, int* checked)
{
    app.Command(IDM_SERIAL_RECEIVE);
    HWND dlg = app.WaitDialog("受信 - シリアル設定");
    *checked = 0;
    if (!dlg) return nullptr;
    *selection = (int)SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_GETCURSEL, 0, 0);
    for (int id = IDC_SPEED_110; id <= IDC_SPEED_MANUAL; ++id) *checked = Checked(dlg, id) ? id : *checked;
    return dlg;
}

}  // namespace

// COM5 and COM6 are pseudo-terminals of the serial fixture, set to 38400 here.
TEST(RememberedLine, OkRemembersItAndTheDialogPreselectsItWhileThePortIsThere)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    int selection = -1, checked = 0;
    {
        RegistryPorts ports;
        ports.Add("COM5", "USB OBEX Cable");
        ports.Add("COM6", "Communications Port");
        auto setSpeeds = [] {  // a receive leaves its port at its own speed
            for (const char* port : {"\\\\.\\COM5", "\\\\.\\COM6"}) {
                HANDLE h = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                DCB dcb{};
                dcb.DCBlength = sizeof dcb;
                EXPECT_TRUE(GetCommState(h, &dcb) && (dcb.BaudRate = 38400, SetCommState(h, &dcb))) << port;
                CloseHandle(h);
            }
        };
        setSpeeds();
        HWND dlg = OpenSerial(app, &selection, &checked);
        ASSERT_NE(nullptr, dlg);
        EXPECT_EQ(0, selection) << "nothing remembered: the OBEX port";
        SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_SETCURSEL, 1, 0);
        Click(dlg, IDC_SPEED_57600);
        Press(dlg, IDOK);
        HWND progress = app.WaitDialog("受信中");  // cancelled at once
        ASSERT_NE(nullptr, progress);
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(app.WaitGone(progress));
        setSpeeds();
        dlg = OpenSerial(app, &selection, &checked);
        ASSERT_NE(nullptr, dlg);
        EXPECT_EQ(1, selection);
        EXPECT_EQ(IDC_SPEED_57600, checked) << "the remembered speed, not the port's 38400";
        Press(dlg, IDCANCEL);
        ASSERT_TRUE(app.WaitGone(dlg));
    }
    RegistryPorts ports;
    ports.Add("COM5", "USB OBEX Cable");
    ASSERT_NE(nullptr, OpenSerial(app, &selection, &checked));
    EXPECT_EQ(0, selection) << "COM6 has gone";
    EXPECT_EQ(IDC_SPEED_38400, checked);
}
