// GUI tests of the send settings and serial port settings dialogs: what each kind and format
// enables, the refusals at Send, and the port list with the ports' current speeds.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"
#include "tests/transport/TransportTestSupport.h"

using namespace gui;

namespace {


// Send settings dialog.
const char kSendDialog[] = "赤外線送信の設定";
const int kFormatIds[] = {IDC_FMT_DOCOMO, IDC_FMT_NEC,       IDC_FMT_FUJITSU,  IDC_FMT_P2102V,
                          IDC_FMT_P504I,  IDC_FMT_JN51_JPEG, IDC_FMT_JN51_DCF, IDC_FMT_DIRECT};  // 1..8
const int kHintIds[] = {IDC_HINT_TITLE, IDC_HINT_SUMMARY, IDC_HINT_FILENAME, IDC_HINT_DATE};
const char kNo[] = "指定できません。";
const char kWide[] = "全角使用可です。";
const char kAscii[] = "ASCII文字の一部のみ可です。";

// Serial settings dialog.
const int kSpeedIds[] = {IDC_SPEED_110,   IDC_SPEED_300,    IDC_SPEED_600,    IDC_SPEED_1200,
                         IDC_SPEED_2400,  IDC_SPEED_4800,   IDC_SPEED_9600,   IDC_SPEED_14400,
                         IDC_SPEED_19200, IDC_SPEED_38400,  IDC_SPEED_56000,  IDC_SPEED_57600,
                         IDC_SPEED_115200, IDC_SPEED_128000, IDC_SPEED_256000, IDC_SPEED_MANUAL};

const std::string kData = WindowsPath(ZV_TEST_DATA) + "\\app\\";


// "10100000": which of the format buttons (formats 1..8) pass `test`.
template <class Test>
std::string FormatPattern(HWND dlg, Test test)
{
    std::string out;
    for (int id : kFormatIds) out += test(dlg, id) ? '1' : '0';
    return out;
}

void Close(App& app, HWND dlg)
{
    Press(dlg, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(dlg));
}

// Opens `file` and the send settings dialog over it.
HWND OpenSendDialog(App& app, const std::string& file)
{
    if (!app.OpenFile(file)) return nullptr;
    app.Command(IDM_IR_SEND);
    return app.WaitDialog(kSendDialog);
}

struct Pictures {
    ScratchDir dir;
    Pictures()
    {
        dir.Write("photo.jpg", ReadFileBytes(kData + "photo.jpg"));
        dir.Write("pic.bmp", MakeBmp(8, 8, [](int, int) { return RGB(1, 2, 3); }));
        dir.Write("clip.3gp", Make3gp("mp4v", 176, 144));
        dir.Write("ring.mld", MakeMelody());
        dir.Write("tune.mid", MakeMidi());
    }
};

}  // namespace

TEST(SendDialog, NothingToSend)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    for (int command : {IDM_IR_SEND, IDM_SERIAL_SEND}) {
        app.Command(command);
        EXPECT_EQ("送信対象のデータがありません。", app.TakeMessageBox("送信")) << command;
    }
}

TEST(SendDialog, FormatsPerKind)
{
    Pictures files;
    App app;
    ASSERT_NE(nullptr, app.Main());
    const struct {
        const char* file;
        const char* enabled;  // formats 1..8
        const char* checked;
    } cases[] = {
        {"photo.jpg", "11111111", "10000000"}, {"clip.3gp", "11110000", "10000000"},
        {"ring.mld", "11111000", "10000000"},  {"tune.mid", "11110000", "10000000"},
        {"pic.bmp", "00001000", "00001000"},
    };
    for (const auto& c : cases) {
        HWND dlg = OpenSendDialog(app, files.dir.File(c.file));
        ASSERT_NE(nullptr, dlg) << c.file;
        EXPECT_EQ(c.enabled, FormatPattern(dlg, Enabled)) << c.file;
        EXPECT_EQ(c.checked, FormatPattern(dlg, Checked)) << c.file;
        if (c.checked[4] == '1') {  // P504i: every field off
            for (int id : {IDC_SEND_TITLE, IDC_SEND_SUMMARY, IDC_SEND_FILENAME, IDC_SEND_DATE, IDC_SEND_TIME}) {
                EXPECT_FALSE(Enabled(dlg, id)) << id;
            }
            for (int id : kHintIds) EXPECT_EQ(kNo, ControlText(dlg, id)) << id;
        }
        Close(app, dlg);
    }
}

TEST(SendDialog, FieldRulesFollowTheClickedFormat)
{
    Pictures files;
    ASSERT_TRUE(SetLocalWriteTime(files.dir.File("photo.jpg"), 2003, 3, 14, 13, 4, 20));
    App app;
    ASSERT_NE(nullptr, app.Main());
    HWND dlg = OpenSendDialog(app, files.dir.File("photo.jpg"));
    ASSERT_NE(nullptr, dlg);
    // The object's time in the pickers' display formats.
    EXPECT_EQ("2003年03月14日", ControlText(dlg, IDC_SEND_DATE));
    EXPECT_EQ("13時04分20秒", ControlText(dlg, IDC_SEND_TIME));
    const struct {
        int button;
        const char* hints[4];  // title, summary, file name, date; kNo means disabled
    } rows[] = {
        {IDC_FMT_NEC, {kNo, kWide, kWide, kNo}},
        {IDC_FMT_FUJITSU, {kWide, kNo, kNo, kNo}},
        {IDC_FMT_P504I, {kNo, kNo, kNo, kNo}},
        {IDC_FMT_JN51_JPEG, {kNo, kNo, kWide, kNo}},
        {IDC_FMT_JN51_DCF, {kNo, kNo, kWide, kNo}},
        {IDC_FMT_DIRECT, {kNo, kNo, kAscii, kNo}},
        {IDC_FMT_P2102V, {kNo, kWide, kWide, kNo}},
        {IDC_FMT_DOCOMO, {kNo, kWide, kAscii, "保存日時になります。"}},
    };
    const int fields[] = {IDC_SEND_TITLE, IDC_SEND_SUMMARY, IDC_SEND_FILENAME, IDC_SEND_DATE};
    for (const auto& row : rows) {
        Click(dlg, row.button);
        EXPECT_TRUE(Checked(dlg, row.button)) << row.button;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(row.hints[i], ControlText(dlg, kHintIds[i])) << row.button << " field " << i;
            EXPECT_EQ(row.hints[i] != kNo, Enabled(dlg, fields[i])) << row.button << " field " << i;
        }
        EXPECT_EQ(Enabled(dlg, IDC_SEND_DATE), Enabled(dlg, IDC_SEND_TIME)) << row.button;
    }
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_REDIST_GROUP)));
    EXPECT_TRUE(Checked(dlg, IDC_REDIST_ALLOW)) << "a local file may be redistributed";
    Close(app, dlg);
}

TEST(SendDialog, RefusalsInOrderKeepTheEntries)
{
    Pictures files;
    App app;
    ASSERT_NE(nullptr, app.Main());
    HWND dlg = OpenSendDialog(app, files.dir.File("photo.jpg"));
    ASSERT_NE(nullptr, dlg);
    EXPECT_EQ("photo.jpg", ControlText(dlg, IDC_SEND_FILENAME));
    SetText(dlg, IDC_SEND_FILENAME, "");
    const std::string badName =
        "ファイル名は半角英数字およびマイナス（-）、ドット（.）、アンダーバー（_）のみで入力してください。";
    const struct {
        int format;
        const char *summary, *fileName, *refusal;
    } steps[] = {
        {IDC_FMT_DOCOMO, "", "", "サマリーを入力してください。"},
        {IDC_FMT_DOCOMO, "夏の海", "", "ファイル名を入力してください。"},
        {IDC_FMT_DOCOMO, "夏の海", "photo 1.jpg", badName.c_str()},
        {IDC_FMT_DIRECT, "夏の海", "写真.jpg", badName.c_str()},
        {IDC_FMT_DIRECT, "夏の海", "ｶﾒﾗ.jpg", badName.c_str()},
        {IDC_FMT_FUJITSU, "", "", "タイトルを入力してください。"},
    };
    for (const auto& s : steps) {
        Click(dlg, s.format);
        SetText(dlg, IDC_SEND_SUMMARY, s.summary);
        SetText(dlg, IDC_SEND_FILENAME, s.fileName);
        Press(dlg, IDOK);
        EXPECT_EQ(s.refusal, app.TakeMessageBox("送信")) << s.format << " " << s.fileName;
        EXPECT_TRUE(IsWindow(dlg));
        EXPECT_EQ(s.summary, ControlText(dlg, IDC_SEND_SUMMARY));
        EXPECT_EQ(s.fileName, ControlText(dlg, IDC_SEND_FILENAME));
    }
    // Switching formats changes hints, never contents.
    SetText(dlg, IDC_SEND_SUMMARY, "夏の海");
    SetText(dlg, IDC_SEND_FILENAME, "photo_1.jpg");
    Click(dlg, IDC_FMT_FUJITSU);
    Click(dlg, IDC_FMT_DOCOMO);
    EXPECT_EQ("夏の海", ControlText(dlg, IDC_SEND_SUMMARY));
    EXPECT_EQ("photo_1.jpg", ControlText(dlg, IDC_SEND_FILENAME));
    Close(app, dlg);
}

// --- Serial port settings ---

namespace {

// Wine hands list texts across processes as UTF-16 whichever way they are asked for.
std::string ComboLine(HWND dlg, int index)
{
    wchar_t text[512] = L"";
    SendDlgItemMessageW(dlg, IDC_SERIAL_PORT, CB_GETLBTEXT, (WPARAM)index, (LPARAM)text);
    char out[1024] = "";
    WideCharToMultiByte(932, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

int ComboCount(HWND dlg) { return (int)SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_GETCOUNT, 0, 0); }
int ComboSelection(HWND dlg) { return (int)SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_GETCURSEL, 0, 0); }

std::string Padded(const std::string& port, const std::string& description)
{
    return port + " - " + description + std::string(100 - description.size(), ' ');
}

// Which speed buttons (fifteen speeds and the manual one) are checked, as 0/1 in table order.
std::string SpeedPattern(HWND dlg)
{
    std::string out;
    for (int id : kSpeedIds) out += Checked(dlg, id) ? '1' : '0';
    return out;
}

// Sets a fixture port's line speed; the pseudo-terminal keeps it after the port is closed.
bool SetPortSpeed(const char* port, DWORD speed)
{
    HANDLE h = CreateFileA((std::string("\\\\.\\") + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool ok = GetCommState(h, &dcb) && (dcb.BaudRate = speed, SetCommState(h, &dcb));
    CloseHandle(h);
    return ok;
}

}  // namespace

// COM5..COM8 are pseudo-terminals of the serial fixture; a pty keeps the speed the last test set.
TEST(SerialDialog, ListPrefersObexAndShowsThePortsSpeed)
{
    Pictures files;
    RegistryPorts ports;
    ports.Add("COM6", "Communications Port");
    ports.Add("COM5", "USB OBEX Cable");
    ports.Add("COM9", "Missing Modem");
    ASSERT_TRUE(SetPortSpeed("COM5", 38400));
    ASSERT_TRUE(SetPortSpeed("COM6", 230400));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(files.dir.File("photo.jpg")));
    app.Command(IDM_SERIAL_SEND);
    HWND dlg = app.WaitDialog("送信 - シリアル設定");
    ASSERT_NE(nullptr, dlg);
    ASSERT_EQ(3, ComboCount(dlg));
    EXPECT_EQ(Padded("COM5", "USB OBEX Cable"), ComboLine(dlg, 0));
    EXPECT_EQ(Padded("COM6", "Communications Port"), ComboLine(dlg, 1));
    EXPECT_EQ(0, ComboSelection(dlg));
    EXPECT_EQ("0000000001000000", SpeedPattern(dlg)) << "38400bps";
    EXPECT_FALSE(Enabled(dlg, IDC_SPEED_EDIT));

    // A port that cannot be opened is reported; the buttons stay.
    SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_SETCURSEL, 2, 0);
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SERIAL_PORT, CBN_SELCHANGE), (LPARAM)GetDlgItem(dlg, IDC_SERIAL_PORT));
    EXPECT_EQ("シリアルポート COM9 のオープンに失敗しました。", TakeBoxOver(dlg));
    EXPECT_EQ("0000000001000000", SpeedPattern(dlg));

    // A speed outside the table is shown as the manual one.
    SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_SETCURSEL, 1, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SERIAL_PORT, CBN_SELCHANGE), (LPARAM)GetDlgItem(dlg, IDC_SERIAL_PORT));
    EXPECT_EQ("0000000000000001", SpeedPattern(dlg));
    EXPECT_TRUE(Enabled(dlg, IDC_SPEED_EDIT));
    EXPECT_EQ("230400", ControlText(dlg, IDC_SPEED_EDIT));
    EXPECT_TRUE(SetPortSpeed("COM6", 38400));

    // The manual speed: refused empty or 0; a number goes on to the send settings.
    Click(dlg, IDC_SPEED_MANUAL);
    EXPECT_TRUE(Enabled(dlg, IDC_SPEED_EDIT));
    for (const auto& refusal : {std::make_pair("", "通信速度を入力してください。"),
                                std::make_pair("0", "通信速度が不正です。")}) {
        SetText(dlg, IDC_SPEED_EDIT, refusal.first);
        Press(dlg, IDOK);
        EXPECT_EQ(refusal.second, TakeBoxOver(dlg));
        EXPECT_TRUE(IsWindowVisible(dlg));
    }
    Click(dlg, IDC_SPEED_38400);
    EXPECT_FALSE(Enabled(dlg, IDC_SPEED_EDIT));
    Click(dlg, IDC_SPEED_MANUAL);
    SetText(dlg, IDC_SPEED_EDIT, "230400");
    SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_SETCURSEL, 0, 0);
    Press(dlg, IDOK);
    HWND send = app.WaitDialog("シリアル送信設定");
    ASSERT_NE(nullptr, send) << "OK runs the send command over the port";
    Close(app, send);
    EXPECT_FALSE(IsWindow(dlg));
}

TEST(SerialDialog, DeviceChangeRefreshesOnlyAChangedList)
{
    RegistryPorts ports;
    ports.Add("COM6", "Communications Port");
    ports.Add("COM7", "IrDA OBEX Adapter");
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_SERIAL_RECEIVE);  // needs no object
    HWND dlg = app.WaitDialog("受信 - シリアル設定");
    ASSERT_NE(nullptr, dlg);
    ASSERT_EQ(2, ComboCount(dlg));
    EXPECT_EQ(1, ComboSelection(dlg));

    SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_SETCURSEL, 0, 0);
    SendMessageA(dlg, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    EXPECT_EQ(2, ComboCount(dlg));
    EXPECT_EQ(0, ComboSelection(dlg)) << "the same ports change nothing";

    ports.Add("COM5", "Cable");
    SendMessageA(dlg, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    ASSERT_EQ(3, ComboCount(dlg));
    EXPECT_EQ(Padded("COM5", "Cable"), ComboLine(dlg, 0));
    EXPECT_EQ(2, ComboSelection(dlg)) << "filled again: the OBEX port is selected";
    Close(app, dlg);
}

TEST(SerialDialog, NoPortsIsReportedBeforeTheDialog)
{
    Pictures files;
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_SERIAL_RECEIVE);
    EXPECT_EQ("使用可能なシリアルポートがありません。", app.TakeMessageBox("受信 - シリアル設定"));
    ASSERT_TRUE(app.OpenFile(files.dir.File("photo.jpg")));
    app.Command(IDM_SERIAL_SEND);
    EXPECT_EQ("使用可能なシリアルポートがありません。", app.TakeMessageBox("送信 - シリアル設定"));
}

// libopenobex on the far end of COM7's line, here by its second name "CNCA0" (ports go by name,
// not by a COMn number), takes the send; the sent format and texts become current.
TEST(SerialDialog, SuccessfulSendMakesTheSentFormatAndTextsCurrent)
{
    REQUIRE_SERIAL_FIXTURE();
    Pictures files;
    ASSERT_TRUE(SetLocalWriteTime(files.dir.File("photo.jpg"), 2003, 3, 14, 13, 4, 20));
    RegistryPorts ports;
    ports.Add("CNCA0", "OBEX Peer");
    LinePeer peer;
    ASSERT_TRUE(peer.Start("server"));

    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(files.dir.File("photo.jpg")));
    app.Command(IDM_SERIAL_SEND);
    HWND serial = app.WaitDialog("送信 - シリアル設定");
    ASSERT_NE(nullptr, serial);
    Press(serial, IDOK);
    HWND dlg = app.WaitDialog("シリアル送信設定");
    ASSERT_NE(nullptr, dlg);
    Click(dlg, IDC_FMT_FUJITSU);
    SetText(dlg, IDC_SEND_TITLE, "夏の海");
    PauseForScreenshot("send settings");
    Press(dlg, IDOK);
    HWND progress = app.WaitDialog("送信完了", 60000);
    ASSERT_NE(nullptr, progress) << "the send did not succeed";
    PauseForScreenshot("send finished");
    EXPECT_TRUE(WaitUntil([&] {
        PostMessageA(progress, WM_COMMAND, IDC_PROGRESS_BUTTON, 0);
        return !IsWindow(progress);
    }));
    EXPECT_TRUE(app.WaitGone(dlg)) << "a successful send closes the settings";

    const auto info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("FOMA F2051/F2102V", info[0]);
    EXPECT_EQ("夏の海", info[3]);
    EXPECT_EQ("(設定されていません。)", info[4]);
    EXPECT_EQ("photo.jpg", info[5]) << "a disabled field's text is still sent and kept";
    EXPECT_EQ("2003年3月14日 13時4分20秒", info[7]);
    EXPECT_EQ("1", peer.Result()["ok"]);
}
