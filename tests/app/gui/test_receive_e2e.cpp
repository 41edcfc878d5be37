// Serial receive end to end: the real zorvex.exe listens on a fixture COM port while the Linux
// end plays the phone (libopenobex's client, or raw OBEX packets for what it cannot send); all
// is worked and read back through window messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/win32/Win32Time.h"
#include "core/MediaObject.h"
#include "formats/ImageManager.h"
#include "formats/VNoteWriter.h"
#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"
#include "tests/support/Emf.h"
#include "tests/support/ObexPackets.h"
#include "tests/transport/TransportTestSupport.h"

using namespace gui;

namespace {

// Values of the information dialog in control order.
enum { kFormat, kKind, kSize, kTitle, kSummary, kFileName, kBodySize, kDate, kRedist };

const std::string kData = WindowsPath(ZV_TEST_DATA) + "\\app\\";
const char kNotSet[] = "(設定されていません。)";
const int32_t kTime = 1205071507;          // 2008-03-09 14:05:07 UTC
const char kTimeHeader[] = "20080309T140507Z";

// The date line of the information dialog for `seconds`, through the system's own conversion.
std::string LocalDate(int32_t seconds)
{
    const FILETIME utc = ToFileTime(seconds);
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &st);
    char text[64];
    std::snprintf(text, sizeof text, "%d年%d月%d日 %d時%d分%d秒", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return text;
}

// OBEX packets for the raw peer.
const Bytes kConnect = ConnectPacket(0x80, 0x0400);
const Bytes kName = UnicodeHeader(0x01, u"a.v");

// Serial receive on the one registered port; the progress dialog once it waits for a phone.
HWND StartReceive(App& app)
{
    app.Command(IDM_SERIAL_RECEIVE);
    HWND serial = app.WaitDialog("受信 - シリアル設定");
    if (!serial) return nullptr;
    PostMessageA(serial, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(serial, IDOK));
    HWND dlg = app.WaitDialog("受信中");
    if (!dlg || !WaitUntil([&] { return ControlText(dlg, IDC_PROGRESS_STATUS) == "接続待ち中です。"; })) return nullptr;
    return dlg;
}

std::string Caption(HWND window)
{
    char text[128] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Caption and status line once the receive has ended.
std::string Ending(HWND dlg)
{
    WaitUntil([&] { return Caption(dlg) != "受信中" && ControlText(dlg, IDC_PROGRESS_BUTTON) == "了解"; }, 60000);
    return Caption(dlg) + " / " + ControlText(dlg, IDC_PROGRESS_STATUS);
}

void CloseProgress(App& app, HWND dlg)
{
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BUTTON, BN_CLICKED),
                 (LPARAM)GetDlgItem(dlg, IDC_PROGRESS_BUTTON));
    EXPECT_TRUE(app.WaitGone(dlg));
}

// File > Save of the current object under `base` (the program adds the ending); the file's bytes.
std::vector<uint8_t> SaveCurrent(App& app, const ScratchDir& dir, const std::string& base)
{
    app.Command(IDM_FILE_SAVE);
    HWND dlg = app.WaitDialog("保存するファイル名を入力してください。");
    if (!dlg) return {};
    SendMessageA(GetDlgItem(dlg, 1148), WM_SETTEXT, 0, (LPARAM)dir.File(base).c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    if (!app.WaitGone(dlg)) return {};
    std::string found;
    WaitUntil([&] {
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(dir.File(base + ".*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return false;
        FindClose(h);
        found = dir.File(data.cFileName);
        return true;
    });
    std::vector<uint8_t> bytes;
    // Written by the main thread after the dialog; complete once two reads agree in size.
    WaitUntil([&] {
        std::vector<uint8_t> now = found.empty() ? bytes : ReadFileBytes(found);
        const bool same = !now.empty() && now.size() == bytes.size();
        bytes = now;
        return same;
    });
    return bytes;
}

}  // namespace

// Each kind of object a phone pushes becomes current with its fields, and saves as it came.
TEST(ReceiveE2E, PushedObjectsBecomeCurrent)
{
    REQUIRE_SERIAL_FIXTURE();
    const std::vector<uint8_t> photo = ReadFileBytes(kData + "photo.jpg");
    // The writers of some formats read the decoded picture, as the send worker hands it over.
    const Zorvex::ImageManager picture(photo.data(), (uint32_t)photo.size());
    const std::vector<uint8_t> bmp = MakeBmp(8, 8, [](int x, int y) { return RGB(x * 30, y * 30, 200); });
    struct Case {
        const char* what;
        SendJob job;
        bool length;                     // a Length header
        std::vector<std::string> info;   // format, kind, size, title, summary, file name, time, flag
    };
    auto job = [&picture](int32_t format, int32_t kind, std::vector<uint8_t> body, const char* fileName,
                  const char* summary, const char* title, int32_t flag) {
        SendJob j;
        j.format = format, j.kind = kind, j.body = std::move(body), j.time = kTime;
        if (fileName) j.fileName = fileName;
        if (summary) j.summary = summary;
        if (title) j.title = title;
        j.redistributionForbidden = flag;
        if (kind == MEDIA_JPEG) j.picture = &picture;
        return j;
    };
    const std::string date = LocalDate(kTime);
    const Case cases[] = {
        {"bare JPEG", job(FORMAT_DIRECT, MEDIA_JPEG, photo, "photo.jpg", nullptr, nullptr, 0), false,
         {"ダイレクト", "JPEG", "200x150", kNotSet, kNotSet, kNotSet, kNotSet, "許可"}},
        {"docomo picture", job(FORMAT_DOCOMO, MEDIA_JPEG, photo, "photo.jpg", "夏の海", nullptr, 0), true,
         {"NTTドコモ標準", "JPEG", "200x150", kNotSet, "夏の海", "photo.jpg", date, "許可"}},
        {"NEC melody", job(FORMAT_NEC, MEDIA_IMELODY, MakeMelody(), "ring.mld", "着信音", nullptr, 1), true,
         {"FOMA N2051/N2701", "ｉメロディ", "(無効)", kNotSet, "着信音", "ring.mld", date, "禁止"}},
        {"Fujitsu movie", job(FORMAT_FUJITSU, MEDIA_MOVIE, Make3gp("mp4v", 176, 144), nullptr, nullptr, "海の動画", 1), true,
         {"FOMA F2051/F2102V", "MP4", "176x144", "海の動画", kNotSet, kNotSet, date, "禁止"}},
        {"P504i picture", job(FORMAT_P504I, MEDIA_BMP, bmp, nullptr, nullptr, nullptr, 0), true,
         {"mova P504i/iS", "BMP", "8x8", kNotSet, kNotSet, kNotSet, kNotSet, "許可"}},
        {"J-N51 picture", job(FORMAT_JN51_JPEG, MEDIA_JPEG, photo, "写真.jpg", nullptr, nullptr, 0), true,
         {"J-N51(JPEG)", "JPEG", "200x150", kNotSet, kNotSet, "写真.jpg", date, "許可"}},
    };
    // The port goes by its name: the fixture's second name for COM7's line, no "COMn" name.
    RegistryPorts ports;
    ports.Add("CNCA0", "OBEX Peer");
    ScratchDir dir;
    App app;
    ASSERT_NE(nullptr, app.Main());
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<OutgoingObject> object;
        ASSERT_EQ(0, BuildOutgoingObject(c.job, nullptr, &object));
        const std::vector<uint8_t> sent(object->body.GetData(), object->body.GetData() + object->body.GetSize());
        HWND dlg = StartReceive(app);
        ASSERT_NE(nullptr, dlg);
        LinePeer phone("b1");
        // Only the Fujitsu and J-N51 readers take the time from the Time header.
        ASSERT_TRUE(phone.Push(sent, object->name, object->type.value_or(""),
                               c.job.format == FORMAT_DIRECT ? "" : kTimeHeader, c.length));
        EXPECT_EQ("受信完了 / 受信に成功しました。", Ending(dlg));
        // The progress widgets are hidden at the end but keep the last update.
        const std::string size = std::to_string(sent.size());
        EXPECT_EQ(c.length ? size + " バイト中 " + size + " バイトを受信しました。" : size + " バイトを受信しました。",
                  ControlText(dlg, IDC_PROGRESS_LINE1));
        EXPECT_EQ(c.length ? (LRESULT)sent.size() : 100, SendDlgItemMessageA(dlg, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0))
            << "the bar is set up only with a total";
        CloseProgress(app, dlg);
        EXPECT_EQ("1", phone.Result()["ok"]) << "the phone saw SUCCESS to PUT and DISCONNECT";

        const std::vector<std::string> info = app.ReadInformation();
        ASSERT_EQ(9u, info.size());
        const std::vector<std::string> shown = {info[kFormat], info[kKind], info[kSize], info[kTitle],
                                                info[kSummary], info[kFileName], info[kDate], info[kRedist]};
        EXPECT_EQ(c.info, shown);
        const std::vector<uint8_t> saved = SaveCurrent(app, dir, "got" + std::to_string(++n));
        EXPECT_EQ(std::to_string(saved.size()) + " バイト", info[kBodySize]);
        if (c.job.format != FORMAT_P504I) {
            EXPECT_TRUE(saved == c.job.body) << "saved " << saved.size() << " bytes";
            continue;
        }
        // The P504i carries 5-6-5 pixels: a bottom-up BI_BITFIELDS bitmap (read here by hand;
        // Wine's loader drops the masks and reads 5-5-5).
        auto le = [&](size_t at, int bytes) {
            uint32_t v = 0;
            for (int i = bytes - 1; i >= 0; --i) v = v << 8 | saved[at + i];
            return v;
        };
        ASSERT_GE(saved.size(), 66u + 8 * 16);
        EXPECT_EQ((std::vector<uint32_t>{66, 8, 8, 16, 3, 0xF800, 0x07E0, 0x001F}),
                  (std::vector<uint32_t>{le(10, 4), le(18, 4), le(22, 4), le(28, 2), le(30, 4), le(54, 4),
                                         le(58, 4), le(62, 4)}));
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const uint32_t want = (x * 30 >> 3) << 11 | (y * 30 >> 2) << 5 | 200 >> 3;
                EXPECT_EQ(want, le(66 + (7 - y) * 16 + x * 2, 2)) << x << "," << y;
            }
        }
    }
}

// Every failure names its cause, ends with "受信失敗" and keeps the object that was current.
TEST(ReceiveE2E, FailuresKeepTheCurrentObject)
{
    REQUIRE_SERIAL_FIXTURE();
    const std::string vnote = "BEGIN:VNOTE\r\nVERSION:1.1\r\nBODY:hello\r\nEND:VNOTE\r\n";
    std::vector<uint8_t> unknown = kName;
    const std::vector<uint8_t> endOfBody = BytesHeader(0x49, {vnote.begin(), vnote.end()});
    unknown.insert(unknown.end(), endOfBody.begin(), endOfBody.end());
    const struct {
        const char* what;
        const char* port;  // nullptr: no serial port at all
        std::vector<std::string> packets;
        const char* message;
    } cases[] = {
        {"no ports", nullptr, {}, "使用可能なシリアルポートがありません。"},
        {"GET", "COM7", {Hex(kConnect), "=" + Hex(Packet(0x83, kName))}, "不正な要求が行われました。"},
        {"PUT without body", "COM7", {Hex(kConnect), "=" + Hex(Packet(0x82, kName))}, "データが渡されませんでした。"},
        {"vNote without a known marker", "COM7", {Hex(kConnect), "=" + Hex(Packet(0x82, unknown))},
         "サポートしていないファイル形式です。"},
        {"cancel", "COM7", {}, "受信をキャンセルしました。"},
        {"link dropped", "COM8", {Hex(kConnect), Hex(Packet(0x02, kName))}, "予期しない接続解除が行われました。"},
    };
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(kData + "photo.jpg"));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryPorts ports;
        if (!c.port) {
            app.Command(IDM_SERIAL_RECEIVE);
            EXPECT_EQ(c.message, app.TakeMessageBox("受信 - シリアル設定"));
        } else {
            const bool drop = c.port == std::string("COM8");
            ports.Add(c.port, "OBEX Peer");
            if (drop) {
                ASSERT_TRUE(RestartGonePair());
            }
            HWND dlg = StartReceive(app);
            ASSERT_NE(nullptr, dlg);
            LinePeer phone(drop ? "c1" : "b1");
            if (c.packets.empty()) {
                PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_BUTTON, BN_CLICKED),
                 (LPARAM)GetDlgItem(dlg, IDC_PROGRESS_BUTTON));
            } else {
                ASSERT_TRUE(phone.Send(c.packets));
            }
            if (drop) {
                // CONNECT and the first half of the PUT were answered; then the line goes.
                EXPECT_EQ("A0,90,", phone.Result()["answers"]);
                ASSERT_TRUE(PullGonePair());
            }
            EXPECT_EQ(std::string("受信失敗 / ") + c.message, Ending(dlg));
            CloseProgress(app, dlg);
            if (drop) {
                EXPECT_TRUE(RestartGonePair()) << "COM8 back for later tests";
            }
        }
        const std::vector<std::string> info = app.ReadInformation();
        ASSERT_EQ(9u, info.size());
        EXPECT_EQ("ローカルファイル", info[kFormat]);
        EXPECT_EQ("photo.jpg", info[kFileName]);
    }
}

// Two Escapes at once, before the receive even waits for a phone, close the dialog only once its
// worker has let the port go: the next receive on the port works.
TEST(ReceiveE2E, EscapeTwiceAtOnceLeavesThePortFree)
{
    REQUIRE_SERIAL_FIXTURE();
    RegistryPorts ports;
    ports.Add("COM7", "OBEX Peer");
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_SERIAL_RECEIVE);
    HWND serial = app.WaitDialog("受信 - シリアル設定");
    ASSERT_NE(nullptr, serial);
    PostMessageA(serial, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(serial, IDOK));
    HWND dlg = app.WaitDialog("受信中");
    ASSERT_NE(nullptr, dlg);
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(app.WaitGone(dlg));

    dlg = StartReceive(app);
    ASSERT_NE(nullptr, dlg);
    LinePeer phone("b1");
    ASSERT_TRUE(phone.Push(ReadFileBytes(kData + "photo.jpg"), "photo.jpg", "", "", true));
    EXPECT_EQ("受信完了 / 受信に成功しました。", Ending(dlg));
    CloseProgress(app, dlg);
}

// A hostile phone's object is refused, or left unanswered, and the current object stays; a
// name that climbs out of the folder to a device is shown as it came and offered made harmless.
TEST(ReceiveE2E, HostilePhonesAreRefusedOrMadeHarmless)
{
    REQUIRE_SERIAL_FIXTURE();
    const std::vector<uint8_t> photo = ReadFileBytes(kData + "photo.jpg");
    const Zorvex::ImageManager picture(photo.data(), (uint32_t)photo.size());
    auto docomoJpeg = [&](const std::vector<uint8_t>& body, const char* fileName) {
        SendJob j;
        j.format = FORMAT_DOCOMO, j.kind = MEDIA_JPEG, j.body = body, j.time = kTime;
        j.fileName = fileName, j.summary = "", j.picture = &picture;
        std::unique_ptr<OutgoingObject> object;
        EXPECT_EQ(0, BuildOutgoingObject(j, nullptr, &object));
        return std::vector<uint8_t>(object->body.GetData(), object->body.GetData() + object->body.GetSize());
    };
    auto put = [](uint8_t code, std::vector<uint8_t> header) {
        header.insert(header.begin(), kName.begin(), kName.end());
        return Hex(Packet(code, header));
    };
    const std::string nec = "X-NEC-TYPE:PNG\r\nBODY;ENCODING=BASE64:YWJj\r\n";
    const struct {
        std::vector<std::string> packets;  // raw, or none: `pushed` through libopenobex
        std::vector<uint8_t> pushed;
        const char *ending, *answers, *fileName;  // answers: what the raw phone heard
    } cases[] = {
        {{Hex(kConnect), put(0x02, {0xC3, 0xFF, 0xFF, 0xFF, 0xFF})}, {},  // Length: 4 GiB
         "受信失敗 / データが異常です。", "A0,CD,", "photo.jpg"},
        {{Hex(kConnect), put(0x82, BytesHeader(0x49, {nec.begin(), nec.end()}))}, {},
         "受信失敗 / 対応していない形式のデータを受信しました。", "A0,CF,", "photo.jpg"},
        // Neither a metafile labelled JPEG nor a JPEG that does not decode is "delivered".
        {{Hex(kConnect), put(0x82, BytesHeader(0x49, docomoJpeg(testing_emf::TinyEmf(), "a.jpg")))}, {},
         "受信失敗 / 対応していないデータ形式です。", "A0,CF,", "photo.jpg"},
        {{Hex(kConnect), put(0x82, BytesHeader(0x49, {0xFF, 0xD8, 0xFF, 0xE0, 0x11, 0x11}))}, {},
         "受信失敗 / 対応していないデータ形式です。", "A0,CF,", "photo.jpg"},
        // A phone that never disconnects still delivered what it was told it delivered; a
        // second object in the session is refused, and the first stays current.
        {{Hex(kConnect), put(0x82, BytesHeader(0x49, docomoJpeg(photo, "quiet.jpg")))}, {},
         "受信完了 / 受信に成功しました。", "A0,A0,", "quiet.jpg"},
        {{Hex(kConnect), put(0x82, BytesHeader(0x49, docomoJpeg(photo, "first.jpg"))),
          put(0x82, BytesHeader(0x49, docomoJpeg(photo, "second.jpg"))), Hex(Packet(0x81, {}))},
         {}, "受信完了 / 受信に成功しました。", "A0,A0,D3,A0,", "first.jpg"},
        {{}, docomoJpeg(photo, "..\\CON"), "受信完了 / 受信に成功しました。", nullptr, "..\\CON"},
    };
    RegistryPorts ports;
    ports.Add("COM7", "OBEX Peer");
    ScratchDir dir;
    dir.Write("photo.jpg", photo);
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ending);
        HWND dlg = StartReceive(app);
        ASSERT_NE(nullptr, dlg);
        LinePeer phone("b1");
        ASSERT_TRUE(c.packets.empty() ? phone.Push(c.pushed, "a.vnt", "", kTimeHeader, true)
                                      : phone.Send(c.packets));
        EXPECT_EQ(c.ending, Ending(dlg));
        CloseProgress(app, dlg);
        phone.Stop();
        std::map<std::string, std::string> heard = phone.Result();  // the peer is done with the line
        EXPECT_EQ("1", heard["ok"]);
        EXPECT_EQ(c.answers ? c.answers : "", c.answers ? heard["answers"] : "");
        EXPECT_EQ(c.fileName, app.ReadInformation()[kFileName]);
    }
    app.Command(IDM_FILE_SAVE);
    HWND save = app.WaitDialog("保存するファイル名を入力してください。");
    ASSERT_NE(nullptr, save);
    EXPECT_EQ("_CON", ControlText(save, 1148));
    // The dialog adds the kind's extension itself, and so asks about the file really written;
    // a name with another extension is asked about by the program.
    dir.Write("_CON.jpg", {1});
    dir.Write("_CON.png.jpg", {2});
    SetText(save, 1148, dir.File("_CON"));
    Press(save, IDOK);
    EXPECT_NE(std::string::npos, TakeBoxOver(save, IDNO).find("上書き")) << "_CON.jpg exists";
    SetText(save, 1148, dir.File("_CON.png"));
    Press(save, IDOK);
    EXPECT_NE(std::string::npos, app.TakeMessageBox("ファイルの保存").find("_CON.png.jpg"));
    EXPECT_EQ((std::vector<uint8_t>{1}), ReadFileBytes(dir.File("_CON.jpg")));
    EXPECT_EQ((std::vector<uint8_t>{2}), ReadFileBytes(dir.File("_CON.png.jpg")));
}

// A continuous receive into a folder: a session of two objects and one of a refused and a kept
// object leave their files before each answer, replacing none, and four rows; the last kept is
// current. 閉じる ends the wait and lets the port go.
TEST(ReceiveE2E, ContinuousReceiveKeepsEveryObjectInTheFolder)
{
    REQUIRE_SERIAL_FIXTURE();
    const std::vector<uint8_t> photo = ReadFileBytes(kData + "photo.jpg");
    const Zorvex::ImageManager picture(photo.data(), (uint32_t)photo.size());
    auto put = [&](const char* fileName) {
        SendJob j;
        j.format = FORMAT_DOCOMO, j.kind = MEDIA_JPEG, j.body = photo, j.time = kTime;
        j.fileName = fileName, j.summary = "", j.picture = &picture;
        std::unique_ptr<OutgoingObject> object;
        EXPECT_EQ(0, BuildOutgoingObject(j, nullptr, &object));
        return object ? std::vector<uint8_t>(object->body.GetData(), object->body.GetData() + object->body.GetSize())
                      : std::vector<uint8_t>{};
    };
    auto packet = [](const std::vector<uint8_t>& body) {
        std::vector<uint8_t> headers = kName, end = BytesHeader(0x49, body);
        headers.insert(headers.end(), end.begin(), end.end());
        return Hex(Packet(0x82, headers));
    };
    const std::string bye = Hex(Packet(0x81, {}));
    const struct {
        std::vector<std::string> packets;
        const char* answers;  // what the phone heard
    } sessions[] = {
        {{Hex(kConnect), packet(put("first.jpg")), packet(put("second.jpg")), bye}, "A0,A0,A0,A0,"},
        {{Hex(kConnect), packet({0xFF, 0xD8, 0xFF, 0xE0, 0x11, 0x11}), packet(put("third.jpg")), bye}, "A0,CF,A0,A0,"},
    };
    RegistryPorts ports;
    ports.Add("COM7", "OBEX Peer");
    ScratchDir dir;
    dir.Write("first.jpg", {1, 2, 3});
    App app;
    HWND window = StartContinuousReceive(app, true, dir.Path());
    ASSERT_NE(nullptr, window);
    HWND list = GetDlgItem(window, IDC_CONT_LIST);
    size_t listed = 0;
    for (const auto& session : sessions) {
        ASSERT_TRUE(WaitUntil([&] {
            return ListRows(list, 1).size() == listed && ControlText(window, IDC_CONT_STATUS) == "接続待ち中です。";
        })) << "waiting again after " << listed << " objects";
        LinePeer phone("b1");
        ASSERT_TRUE(phone.Send(session.packets));
        EXPECT_EQ(session.answers, phone.Result()["answers"]);
        listed += session.packets.size() - 2;
    }
    ASSERT_TRUE(WaitUntil([&] { return ListRows(list, 1).size() == 4; }));
    const std::string size = std::to_string(photo.size()), saved = "保存しました。";
    const std::vector<std::vector<std::string>> want = {
        {"first-1.jpg", "JPEG", "NTTドコモ標準", size, "", saved}, {"second.jpg", "JPEG", "NTTドコモ標準", size, "", saved},
        {"a.v", "JPEG", "ダイレクト", "6", "", "対応していないデータ形式です。"},
        {"third.jpg", "JPEG", "NTTドコモ標準", size, "", saved}};
    std::vector<std::vector<std::string>> rows = ListRows(list, 7);
    for (auto& row : rows) {
        EXPECT_EQ(8u, row[0].size()) << "hh:mm:ss: " << row[0];
        row.erase(row.begin());
    }
    EXPECT_EQ(want, rows);
    EXPECT_EQ("連続受信 (3 件)", Caption(window));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), ReadFileBytes(dir.File("first.jpg")));
    for (const char* name : {"first-1.jpg", "second.jpg", "third.jpg"}) {
        EXPECT_TRUE(ReadFileBytes(dir.File(name)) == photo) << name;
    }
    PauseForScreenshot("continuous receive");
    Press(window, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(window));
    EXPECT_EQ("third.jpg", app.ReadInformation()[kFileName]);

    HWND dlg = StartReceive(app);
    ASSERT_NE(nullptr, dlg);
    LinePeer phone("b1");
    ASSERT_TRUE(phone.Push(photo, "photo.jpg", "", "", true));
    EXPECT_EQ("受信完了 / 受信に成功しました。", Ending(dlg));
    CloseProgress(app, dlg);
}
