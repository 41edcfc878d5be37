// GUI tests of files given to the program from outside (dropped on the main window, named on the
// command line) and of the serial line it remembers per user.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"

using namespace gui;

namespace {

const char kStoreKey[] = "Software\\Zorvex for Windows";
const std::string kData = WindowsPath(ZV_TEST_DATA) + "\\app\\";
enum { kKind = 1, kFileName = 5 };  // in the information dialog's values

// Every GUI test starts and ends with nothing remembered: the store is the prefix's, shared by
// all the tests, and the other tests expect the usual preselections.
class ForgetBetweenTests : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey); }
    void OnTestEnd(const ::testing::TestInfo&) override { RegDeleteKeyA(HKEY_CURRENT_USER, kStoreKey); }
};
const bool kForgetting = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ForgetBetweenTests);
    return true;
}();

// A shell drop of `paths` posted to the main window. A memory handle of this process means
// nothing in the program's, so the DROPFILES block is written there: the handle of a fixed block
// is its address. (The program's DragFinish cannot free it; the process ends with the test.)
void Drop(const App& app, const std::vector<std::string>& paths)
{
    DROPFILES head{};
    head.pFiles = sizeof head;
    std::string block(reinterpret_cast<const char*>(&head), sizeof head);
    for (const std::string& p : paths) block += p + '\0';
    block += '\0';
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, app.ProcessId());
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr));
    CloseHandle(process);
    PostMessageA(app.Main(), WM_DROPFILES, (WPARAM)remote, 0);
}

struct Files {
    ScratchDir dir;
    Files()
    {
        dir.Write("my photo.jpg", ReadFileBytes(kData + "photo.jpg"));
        dir.Write("ring.mld", MakeMelody());
        dir.Write("short.jpg", std::vector<uint8_t>(29, 0xFF));
    }
};

}  // namespace

TEST(DroppedFiles, OpenAsFileOpenWould)
{
    Files files;
    App app;
    ASSERT_NE(nullptr, app.Main());
    EXPECT_TRUE(GetWindowLongA(app.Main(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the shell drops here";
    ASSERT_TRUE(app.OpenFile(files.dir.File("my photo.jpg")));
    const std::vector<std::string> opened = app.ReadInformation();
    ASSERT_TRUE(app.OpenFile(files.dir.File("ring.mld")));

    Drop(app, {files.dir.File("my photo.jpg")});
    EXPECT_EQ(opened, app.ReadInformation());
    Drop(app, {files.dir.File("short.jpg")});
    EXPECT_EQ("ファイルが不正です。", app.TakeMessageBox("ファイルアクセス"));
    EXPECT_EQ(opened, app.ReadInformation()) << "what could not be opened leaves the current object";
    Drop(app, {files.dir.File("ring.mld"), files.dir.File("my photo.jpg"), files.dir.File("short.jpg")});
    EXPECT_EQ("開いたのは最初のファイルだけです。次のファイルは開いていません。\nmy photo.jpg\nshort.jpg",
              app.TakeMessageBox("ファイルを開く"));
    EXPECT_EQ("ｉメロディ", app.ReadInformation().at(kKind));
}

TEST(DroppedFiles, CommandLineFileOpensAtStartAndInTheRunningCopy)
{
    Files files;
    App app("", ZV_ZORVEX_EXE, "\"" + files.dir.File("my photo.jpg") + "\"");
    ASSERT_NE(nullptr, app.Main());
    const std::vector<std::string> info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("JPEG", info[kKind]);
    EXPECT_EQ("my photo.jpg", info[kFileName]);

    App second(files.dir.Path(), ZV_ZORVEX_EXE, "ring.mld");  // its own folder's, not the first's
    DWORD code = 1234;
    ASSERT_TRUE(second.Exited(15000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ("ｉメロディ", app.ReadInformation().at(kKind)) << "the running copy opened it";
}

namespace {

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
