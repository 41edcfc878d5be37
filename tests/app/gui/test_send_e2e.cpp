// Serial sends from the real zorvex.exe to libopenobex on the Linux end of a fixture port: what
// the phone receives for every kind in every format it allows, and how each failure is shown.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/MediaObject.h"
#include "formats/ImageManager.h"
#include "formats/VNoteWriter.h"
#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"
#include "tests/transport/TransportTestSupport.h"

using namespace gui;

namespace {

const char kSettings[] = "シリアル送信設定";

struct Format {
    int code, button;
    const char* label;
    bool wideFileName;
};
const Format kFormats[] = {
    {1, IDC_FMT_DOCOMO, "NTTドコモ標準", false},      {2, IDC_FMT_NEC, "FOMA N2051/N2701", true},
    {3, IDC_FMT_FUJITSU, "FOMA F2051/F2102V", false}, {4, IDC_FMT_P2102V, "FOMA P2102V", true},
    {5, IDC_FMT_P504I, "mova P504i/iS", false},       {6, IDC_FMT_JN51_JPEG, "J-N51(JPEG)", true},
    {7, IDC_FMT_JN51_DCF, "J-N51(デジカメ)", true},   {8, IDC_FMT_DIRECT, "ダイレクト", false},
};

// What the user types for a send in `format`; the format's number keeps each send's texts apart.
struct Entries {
    std::string title, summary, fileName;
    explicit Entries(const Format& f)
        : title("夏の海" + std::to_string(f.code)), summary("浜辺にて" + std::to_string(f.code)),
          fileName((f.wideFileName ? "夏の海" : "sea_") + std::to_string(f.code) + ".dat")
    {
    }
};

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// The instant a local time stands for, as Windows converts it: seconds since 1970 and the
// OBEX Time text (UTC).
int32_t UtcSeconds(const LocalTime& t, std::string* isoText)
{
    SYSTEMTIME st{};
    st.wYear = (WORD)t.year, st.wMonth = (WORD)t.month, st.wDay = (WORD)t.day;
    st.wHour = (WORD)t.hour, st.wMinute = (WORD)t.minute, st.wSecond = (WORD)t.second;
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    SYSTEMTIME u;
    FileTimeToSystemTime(&utc, &u);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", u.wYear, u.wMonth, u.wDay, u.wHour,
                  u.wMinute, u.wSecond);
    *isoText = text;
    const ULONGLONG ticks = ((ULONGLONG)utc.dwHighDateTime << 32) | utc.dwLowDateTime;
    return (int32_t)((ticks - 116444736000000000ULL) / 10000000ULL);
}

// Serial send > the port at `comboIndex` > OK: the send settings dialog, or nullptr. A port
// that cannot be opened is reported when it is chosen; `refusal` gets that report.
HWND OpenSerialSendDialog(App& app, int comboIndex = 0, std::string* refusal = nullptr)
{
    app.Command(IDM_SERIAL_SEND);
    HWND serial = app.WaitDialog("送信 - シリアル設定");
    if (!serial) return nullptr;
    SendDlgItemMessageA(serial, IDC_SERIAL_PORT, CB_SETCURSEL, comboIndex, 0);
    PostMessageA(serial, WM_COMMAND, MAKEWPARAM(IDC_SERIAL_PORT, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(serial, IDC_SERIAL_PORT));
    if (refusal) *refusal = TakeBoxOver(serial);
    Press(serial, IDOK);
    return app.WaitDialog(kSettings);
}

void Fill(HWND dlg, const Format& format, const Entries& e)
{
    Click(dlg, format.button);
    SetText(dlg, IDC_SEND_TITLE, e.title);
    SetText(dlg, IDC_SEND_SUMMARY, e.summary);
    SetText(dlg, IDC_SEND_FILENAME, e.fileName);
}

// The progress dialog once the send has ended with `caption`: its status line, then closed.
std::string FinishedStatus(App& app, const char* caption)
{
    HWND progress = app.WaitDialog(caption, 60000);
    if (!progress) return "no dialog " + std::string(caption);
    const std::string status = ControlText(progress, IDC_PROGRESS_STATUS);
    WaitUntil([&] {
        PostMessageA(progress, WM_COMMAND, IDC_PROGRESS_BUTTON, 0);
        return !IsWindow(progress);
    });
    return status;
}

struct Kind {
    const char* file;
    int32_t kind;
    std::vector<uint8_t> bytes;
    LocalTime time;
    std::vector<int> formats;
};

class SendE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (SerialFixtureDir().empty()) GTEST_SKIP() << "ZV_SERIAL_DIR not set (run ctest)";
        ports_.Add("COM7", "OBEX Peer");
        ports_.Add("COM8", "Communications Port");
        ports_.Add("COM9", "Missing Modem");  // no device behind it
    }
    RegistryPorts ports_;
    ScratchDir dir_;
};

}  // namespace

// Each kind in every format it can be sent in: the phone gets the writer's object byte for byte
// under the writer's name and type, with the pickers' time; the sent format and texts become
// current.
TEST_F(SendE2E, EveryKindInEveryFormatArrivesAsTheWriterBuildsIt)
{
    const std::string data = WindowsPath(ZV_TEST_DATA);
    const Kind kinds[] = {
        {"photo.jpg", MEDIA_JPEG, ReadFileBytes(data + "\\app\\photo.jpg"), {2003, 3, 14, 13, 4, 20},
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {"anim.gif", MEDIA_GIF, ReadFileBytes(data + "\\pictures\\img.gif"), {2004, 7, 1, 9, 30, 5},
         {1, 2, 3, 4, 5, 8}},
        {"pic.bmp", MEDIA_BMP,
         MakeBmp(7, 5, [](int x, int y) { return RGB(x * 36, y * 60, 255 - x * y * 8); }),
         {2005, 12, 31, 23, 59, 59}, {5}},
        {"clip.3gp", MEDIA_MOVIE, Make3gp("mp4v", 176, 144), {2002, 1, 2, 3, 4, 5}, {1, 2, 3, 4}},
        {"ring.mld", MEDIA_IMELODY, MakeMelody(), {2006, 6, 6, 6, 6, 6}, {1, 2, 3, 4, 5}},
        {"tune.mid", MEDIA_SMF, MakeMidi(), {2001, 11, 30, 18, 45, 0}, {1, 2, 3, 4}},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.file);
        ASSERT_FALSE(k.bytes.empty());
        dir_.Write(k.file, k.bytes);
        const LocalTime& t = k.time;
        ASSERT_TRUE(SetLocalWriteTime(dir_.File(k.file), t.year, t.month, t.day, t.hour, t.minute, t.second));
        std::string isoTime;
        const int32_t seconds = UtcSeconds(t, &isoTime);
        std::unique_ptr<Zorvex::ImageManager> picture;
        if (k.kind == MEDIA_JPEG || k.kind == MEDIA_GIF) {
            picture = std::make_unique<Zorvex::ImageManager>(k.bytes.data(), (uint32_t)k.bytes.size());
        }
        char dateText[32], timeText[32], infoTime[64];
        std::snprintf(dateText, sizeof dateText, "%04d年%02d月%02d日", t.year, t.month, t.day);
        std::snprintf(timeText, sizeof timeText, "%02d時%02d分%02d秒", t.hour, t.minute, t.second);
        std::snprintf(infoTime, sizeof infoTime, "%d年%d月%d日 %d時%d分%d秒", t.year, t.month, t.day,
                      t.hour, t.minute, t.second);

        App app;
        ASSERT_NE(nullptr, app.Main());
        ASSERT_TRUE(app.OpenFile(dir_.File(k.file)));
        for (int code : k.formats) {
            const Format& f = kFormats[code - 1];
            SCOPED_TRACE(f.label);
            const Entries e(f);
            LinePeer peer;
            ASSERT_TRUE(peer.Start("server"));
            HWND dlg = OpenSerialSendDialog(app);
            ASSERT_NE(nullptr, dlg);
            EXPECT_EQ(dateText, ControlText(dlg, IDC_SEND_DATE));
            EXPECT_EQ(timeText, ControlText(dlg, IDC_SEND_TIME));
            Fill(dlg, f, e);
            Press(dlg, IDOK);
            EXPECT_EQ("送信に成功しました。", FinishedStatus(app, "送信完了"));
            EXPECT_TRUE(app.WaitGone(dlg)) << "a successful send closes the settings";

            SendJob job;
            job.kind = k.kind;
            job.format = code;
            job.body = k.bytes;
            job.title = e.title;
            job.summary = e.summary;
            job.fileName = e.fileName;
            job.time = seconds;
            job.picture = picture.get();
            std::unique_ptr<OutgoingObject> expected;
            ASSERT_EQ(0, BuildOutgoingObject(job, nullptr, &expected));
            ByteBuffer& body = expected->body;
            const std::vector<uint8_t> bytes(body.GetData(), body.GetData() + body.GetSize());
            auto got = peer.Result();
            EXPECT_EQ("1", got["ok"]) << got["error"];
            EXPECT_EQ("1", got["puts"]);
            EXPECT_EQ(NameHex(expected->name), got["name"]) << expected->name;
            EXPECT_EQ(expected->type.value_or(""), got["type"]);
            EXPECT_EQ(isoTime, got["time"]);
            EXPECT_EQ(std::to_string(bytes.size()), got["length"]);
            EXPECT_TRUE(bytes == peer.Body()) << "body differs from the writer's object";

            const auto info = app.ReadInformation();
            ASSERT_EQ(9u, info.size());
            EXPECT_EQ(f.label, info[0]);
            EXPECT_EQ(e.title, info[3]);
            EXPECT_EQ(e.summary, info[4]);
            EXPECT_EQ(e.fileName, info[5]);
            EXPECT_EQ(infoTime, info[7]);
        }
    }
}

namespace {

// Starts the fixture's COM8 pair again when a test has pulled it away, and waits for its links.
}  // namespace

// Each failure is shown with its message under "送信失敗" and leaves the settings dialog open
// with what the user entered.
TEST_F(SendE2E, FailuresKeepTheSettingsDialogWithTheEntries)
{
    ASSERT_TRUE(RestartGonePair());
    dir_.Write("photo.jpg", ReadFileBytes(WindowsPath(ZV_TEST_DATA) + "\\app\\photo.jpg"));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir_.File("photo.jpg")));
    enum Action { kNone, kCancel, kPull };
    const struct {
        const char* peer;  // line_peer mode, or nullptr for none
        int port;          // combo line: 0 COM7, 1 COM8, 2 COM9
        Action action;     // what happens once the PUT is under way
        const char* message;
    } cases[] = {
        {"refuse-put", 0, kNone, "データの受け取りを拒否されました。"},
        {"refuse-disconnect", 0, kNone, "データの受け取りを拒否されました。"},
        {"stall", 0, kCancel, "送信をキャンセルしました。"},
        {"stall", 1, kPull, "予期しない接続解除が行われました。"},
        {nullptr, 2, kNone, "指定の通信ポートが使用できません。"},
    };
    const Format& f = kFormats[2];
    const Entries e(f);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        SCOPED_TRACE(c.peer ? c.peer : "no peer");
        LinePeer peer(c.port ? "c1" : "b1");
        if (c.peer) {
            ASSERT_TRUE(peer.Start(c.peer));
        }
        std::string refusal;
        HWND dlg = OpenSerialSendDialog(app, c.port, c.port == 2 ? &refusal : nullptr);
        if (c.port == 2) {
            EXPECT_EQ("シリアルポート COM9 のオープンに失敗しました。", refusal);
        }
        ASSERT_NE(nullptr, dlg);
        Fill(dlg, f, e);
        Press(dlg, IDOK);
        if (c.action == kCancel || c.action == kPull) {
            HWND progress = app.WaitDialog("送信中");
            ASSERT_NE(nullptr, progress);
            ASSERT_TRUE(WaitUntil([&] { return ControlText(progress, IDC_PROGRESS_STATUS) == "送信中です。"; }));
            if (c.action == kCancel) Press(progress, IDC_PROGRESS_BUTTON);
            if (c.action == kPull) {
                ASSERT_TRUE(PullGonePair());
            }
        }
        EXPECT_EQ(c.message, FinishedStatus(app, "送信失敗"));
        ASSERT_TRUE(IsWindow(dlg) && IsWindowVisible(dlg)) << "a failed send keeps the settings";
        EXPECT_TRUE(Checked(dlg, f.button));
        EXPECT_EQ(e.title, ControlText(dlg, IDC_SEND_TITLE));
        EXPECT_EQ(e.summary, ControlText(dlg, IDC_SEND_SUMMARY));
        EXPECT_EQ(e.fileName, ControlText(dlg, IDC_SEND_FILENAME));
        if (c.peer && c.action == kNone) {
            EXPECT_EQ("1", peer.Result()["ok"]) << "the peer did refuse";
        }
        Press(dlg, IDCANCEL);
        EXPECT_TRUE(app.WaitGone(dlg));
    }
    EXPECT_EQ("ローカルファイル", app.ReadInformation().at(0)) << "no failure changes the object";
    EXPECT_TRUE(RestartGonePair());
}
