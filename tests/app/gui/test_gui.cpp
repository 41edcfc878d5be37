// GUI tests of zorvex.exe under Wine: each case starts the program, works it through window
// messages and reads back what a user would see.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "res/resource.h"
#include "tests/app/gui/GuiDriver.h"
#include "tests/app/gui/ViewHostEvents.h"

using namespace gui;

namespace {

// Values of the information dialog in control order 1023..1031.
enum { kFormat, kKind, kSize, kTitle, kSummary, kFileName, kBodySize, kDate, kRedist };

const std::string kData = WindowsPath(ZV_TEST_DATA) + "\\app\\";
const std::string kRes = WindowsPath(ZV_RES_DIR) + "\\";
const COLORREF kWindowColour = RGB(255, 255, 255);
const COLORREF kStaffGrey = RGB(200, 200, 200);

void SetLastWrite(const std::string& path, int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME st{};
    st.wYear = (WORD)year;
    st.wMonth = (WORD)month;
    st.wDay = (WORD)day;
    st.wHour = (WORD)hour;
    st.wMinute = (WORD)minute;
    st.wSecond = (WORD)second;
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

FILETIME LastWrite(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA a{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a);
    return a.ftLastWriteTime;
}

bool Near(COLORREF a, COLORREF b, int tolerance)
{
    return std::abs((int)GetRValue(a) - (int)GetRValue(b)) <= tolerance &&
           std::abs((int)GetGValue(a) - (int)GetGValue(b)) <= tolerance &&
           std::abs((int)GetBValue(a) - (int)GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF c)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%06lx", (unsigned long)c);
    return buf;
}

// The window is sized in two moves (the first may wrap the menu bar): wait for the final size.
::testing::AssertionResult WaitForClient(const App& app, int width, int height)
{
    if (WaitUntil([&] { return app.ClientSize().cx == width && app.ClientSize().cy == height; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "client area " << app.ClientSize().cx << "x"
                                         << app.ClientSize().cy << " instead of " << width << "x" << height;
}

COLORREF Pattern(int x, int y) { return RGB((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) / 3) & 0xFF); }

}  // namespace

TEST(Gui, StartsWithA320By200ClientArea)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    PauseForScreenshot("main window");
    SIZE s = app.ClientSize();
    EXPECT_EQ(320, s.cx);
    EXPECT_EQ(200, s.cy);
    char title[64] = "";
    GetWindowTextA(app.Main(), title, sizeof title);
    EXPECT_STREQ("Zorvex", title);
}

TEST(Gui, SecondStartExitsAndTheFirstWindowStays)
{
    App first;
    ASSERT_NE(nullptr, first.Main());
    App second;
    DWORD code = 1234;
    ASSERT_TRUE(second.Exited(15000, &code)) << "the second copy must end by itself";
    EXPECT_EQ(0u, code);
    EXPECT_EQ(nullptr, second.Main()) << "the second copy shows no window";
    EXPECT_TRUE(IsWindow(first.Main()));
    EXPECT_TRUE(IsWindowVisible(first.Main()));
}

TEST(Gui, ExitCommandEndsTheProgramWithZero)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_EXIT);
    DWORD code = 1234;
    ASSERT_TRUE(app.Exited(10000, &code));
    EXPECT_EQ(0u, code);
}

TEST(Gui, SaveAndInformationWithoutAnObjectSayWhy)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_FILE_INFO);
    EXPECT_EQ("データを読み込んでいません。", app.TakeMessageBox("画像の情報"));
    app.Command(IDM_FILE_SAVE);
    EXPECT_EQ("保存する対象がありません。", app.TakeMessageBox("ファイルの保存"));
}

TEST(Gui, AboutBoxOpensFromMenuAndAltSlashAndClosesWithOkOrEscape)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_ABOUT);
    HWND about = app.WaitDialog("バージョン情報");
    ASSERT_NE(nullptr, about);
    PauseForScreenshot("about");
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(about, IDOK));
    EXPECT_TRUE(app.WaitGone(about));

    for (char key : {'/', '?'}) {
        ASSERT_TRUE(app.AltChar(key)) << key;
        about = app.WaitDialog("バージョン情報");
        ASSERT_NE(nullptr, about) << key;
        PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(app.WaitGone(about)) << "Esc closes it";
    }
}

TEST(Gui, ManualMissingFromTheCurrentFolderIsReported)
{
    ScratchDir dir;  // no zorvex.html here
    App app(dir.Path());
    ASSERT_NE(nullptr, app.Main());
    PostMessageA(app.Main(), WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ("ドキュメントを開けませんでした。", app.TakeMessageBox("Zorvex"));
}

TEST(Gui, OpeningAJpegFitsTheWindowAndDescribesIt)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(kData + "photo.jpg"));
    SetLastWrite(dir.File("photo.jpg"), 2003, 3, 14, 13, 14, 20);
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    ASSERT_TRUE(WaitForClient(app, 200, 150));

    if (std::getenv("ZV_GUI_PAUSE_MS")) {
        app.Command(IDM_FILE_INFO);
        PauseForScreenshot("information");
        HWND dlg = app.WaitDialog("ファイルの情報");
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        app.WaitGone(dlg);
    }
    const auto info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("ローカルファイル", info[kFormat]);
    EXPECT_EQ("JPEG", info[kKind]);
    EXPECT_EQ("200x150", info[kSize]);
    EXPECT_EQ("(設定されていません。)", info[kTitle]);
    EXPECT_EQ("(設定されていません。)", info[kSummary]);
    EXPECT_EQ("photo.jpg", info[kFileName]);
    EXPECT_EQ(std::to_string(ReadFileBytes(dir.File("photo.jpg")).size()) + " バイト", info[kBodySize]);
    EXPECT_EQ("2003年3月14日 13時14分20秒", info[kDate]);
    EXPECT_EQ("許可", info[kRedist]);

    // Free mode at the picture's own size: the four quadrants show their colours (JPEG: near).
    const struct { int x, y; COLORREF colour; } probes[] = {
        {50, 37, RGB(208, 48, 48)}, {150, 37, RGB(49, 160, 65)},
        {50, 112, RGB(48, 80, 191)}, {150, 112, RGB(224, 192, 32)},
    };
    WaitUntil([&] { return Near(probes[0].colour, app.ClientPixel(probes[0].x, probes[0].y), 6); }, 20000);
    PauseForScreenshot("photo");
    for (const auto& p : probes) {
        COLORREF c = app.ClientPixel(p.x, p.y);
        EXPECT_TRUE(Near(p.colour, c, 6)) << p.x << "," << p.y << " shows " << Hex(c);
    }
}

TEST(Gui, SaveAppendsTheExtensionAndStampsTheObjectsTime)
{
    ScratchDir dir;
    const std::vector<uint8_t> original = ReadFileBytes(kData + "photo.jpg");
    dir.Write("photo.jpg", original);
    SetLastWrite(dir.File("photo.jpg"), 2003, 3, 14, 13, 14, 20);
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));

    app.Command(IDM_FILE_SAVE);
    HWND dlg = app.WaitDialog("保存するファイル名を入力してください。");
    ASSERT_NE(nullptr, dlg);
    SendMessageA(GetDlgItem(dlg, 1148), WM_SETTEXT, 0, (LPARAM)dir.File("copy").c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(app.WaitGone(dlg));
    ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(dir.File("copy.jpg")).size() == original.size(); }));
    EXPECT_EQ(original, ReadFileBytes(dir.File("copy.jpg")));
    const FILETIME want = LastWrite(dir.File("photo.jpg"));
    const FILETIME got = LastWrite(dir.File("copy.jpg"));
    EXPECT_EQ(0, CompareFileTime(&want, &got));

    // A name with a kept ending stays as it is.
    app.Command(IDM_FILE_SAVE);
    dlg = app.WaitDialog("保存するファイル名を入力してください。");
    ASSERT_NE(nullptr, dlg);
    SendMessageA(GetDlgItem(dlg, 1148), WM_SETTEXT, 0, (LPARAM)dir.File("second.JPEG").c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(app.WaitGone(dlg));
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(dir.File("second.JPEG")) == original; }));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.File("second.JPEG.jpg").c_str()));
}

TEST(Gui, MovieShowsItsFrameSizeAndReturnsTheWindowTo320By200)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(kData + "photo.jpg"));
    dir.Write("clip.3gp", Make3gp("mp4v", 176, 144));
    dir.Write("h263.3gp", Make3gp("s263", 176, 144));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    ASSERT_TRUE(WaitForClient(app, 200, 150));

    ASSERT_TRUE(app.OpenFile(dir.File("clip.3gp")));
    ASSERT_TRUE(WaitForClient(app, 320, 200));
    auto info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("MP4", info[kKind]);
    EXPECT_EQ("176x144", info[kSize]);
    EXPECT_EQ("clip.3gp", info[kFileName]);

    ASSERT_TRUE(app.OpenFile(dir.File("h263.3gp")));
    info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("(無効)", info[kSize]);
}

TEST(Gui, UndecodablePictureLeavesThePreviousObject)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(kData + "photo.jpg"));
    std::vector<uint8_t> fake = {'G', 'I', 'F', '8', '9', 'a'};
    fake.resize(40, 0x55);
    dir.Write("broken.gif", fake);
    dir.Write("short.jpg", std::vector<uint8_t>(29, 0xFF));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
    ASSERT_TRUE(WaitForClient(app, 200, 150));

    ASSERT_TRUE(app.OpenFile(dir.File("broken.gif")));
    EXPECT_EQ("対応していないデータ形式です。", app.TakeMessageBox("ファイルを開けません。"));
    ASSERT_TRUE(app.OpenFile(dir.File("short.jpg")));
    EXPECT_EQ("ファイルが不正です。", app.TakeMessageBox("ファイルアクセス"));

    EXPECT_EQ(200, app.ClientSize().cx);
    EXPECT_EQ(150, app.ClientSize().cy);
    const auto info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("photo.jpg", info[kFileName]);
    EXPECT_EQ("JPEG", info[kKind]);
}

TEST(Gui, BitmapPixelsReachTheScreenUnchanged)
{
    ScratchDir dir;
    dir.Write("pattern.bmp", MakeBmp(160, 120, Pattern));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("pattern.bmp")));
    ASSERT_TRUE(WaitUntil([&] { return app.ClientSize().cx == 160 && app.ClientSize().cy == 120; }));
    WaitUntil([&] { return app.ClientPixel(159, 119) == Pattern(159, 119); }, 20000);
    int bad = 0;
    for (int y = 0; y < 120; y += 13) {
        for (int x = 0; x < 160; x += 11) {
            const COLORREF c = app.ClientPixel(x, y);
            if (c != Pattern(x, y)) {
                ADD_FAILURE() << x << "," << y << ": " << Hex(c) << " instead of " << Hex(Pattern(x, y));
                if (++bad > 5) return;
            }
        }
    }
}

TEST(Gui, ScrollModeShowsBarsForALargePictureAndScrollsByKey)
{
    ScratchDir dir;
    dir.Write("large.bmp", MakeBmp(2000, 1500, Pattern));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("large.bmp")));
    // Three quarters of the 1024 × 768 desktop.
    ASSERT_TRUE(WaitForClient(app, 768, 576));
    LONG style = GetWindowLongA(app.Main(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL)) << "free mode has no bars";

    app.Command(IDM_VIEW_SCROLL);
    ASSERT_TRUE(WaitUntil([&] {
        return (GetWindowLongA(app.Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) ==
               (WS_HSCROLL | WS_VSCROLL);
    }));
    EXPECT_TRUE(WaitUntil([&] { return app.ClientPixel(10, 10) == Pattern(10, 10); }, 20000))
        << "unscaled at position 0";
    PauseForScreenshot("scroll");

    PostMessageA(app.Main(), WM_KEYDOWN, VK_NEXT, 0);    // 12 down
    PostMessageA(app.Main(), WM_KEYDOWN, VK_RIGHT, 0);   // 1 right
    PostMessageA(app.Main(), WM_KEYDOWN, VK_RIGHT, 0);   // 1 right
    EXPECT_TRUE(WaitUntil([&] { return app.ClientPixel(10, 10) == Pattern(12, 22); }))
        << "shows " << Hex(app.ClientPixel(10, 10));

    PostMessageA(app.Main(), WM_KEYDOWN, VK_END, 0);  // both directions to their ends
    const SIZE client = app.ClientSize();
    EXPECT_TRUE(WaitUntil([&] {
        return app.ClientPixel(client.cx - 1, client.cy - 1) == Pattern(1999, 1499);
    })) << "bottom right shows " << Hex(app.ClientPixel(client.cx - 1, client.cy - 1));

    app.Command(IDM_VIEW_FREE);
    EXPECT_TRUE(WaitUntil([&] {
        return (GetWindowLongA(app.Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) == 0;
    })) << "bars go outside scroll mode";
}

TEST(Gui, StretchModeKeepsProportionsWhileSizing)
{
    ScratchDir dir;
    dir.Write("wide.bmp", MakeBmp(200, 100, Pattern));
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("wide.bmp")));
    // At this width the menu bar wraps: wait for the settled size, then measure the frame.
    ASSERT_TRUE(WaitUntil([&] { return app.ClientSize().cx == 200 && app.ClientSize().cy == 100; }));
    RECT wr;
    GetWindowRect(app.Main(), &wr);
    const int ncw = (wr.right - wr.left) - 200, nch = (wr.bottom - wr.top) - 100;

    RECT drag{wr.left, wr.top, wr.left + ncw + 300, wr.bottom};  // right edge to client width 300
    SendMessageA(app.Main(), WM_SIZING, WMSZ_RIGHT, (LPARAM)&drag);
    EXPECT_EQ(wr.bottom, drag.bottom) << "free mode leaves the rectangle alone";

    app.Command(IDM_VIEW_STRETCH);
    ASSERT_TRUE(WaitUntil([&] { return app.CheckedViewItem() == 2; }));
    ASSERT_EQ(100, app.ClientSize().cy);
    drag = RECT{wr.left, wr.top, wr.left + ncw + 300, wr.bottom};
    EXPECT_TRUE(SendMessageA(app.Main(), WM_SIZING, WMSZ_RIGHT, (LPARAM)&drag));
    EXPECT_EQ(wr.top + nch + 150, drag.bottom);
    drag = RECT{wr.left, wr.top, wr.right, wr.top + nch + 50};  // bottom edge to client height 50
    EXPECT_TRUE(SendMessageA(app.Main(), WM_SIZING, WMSZ_BOTTOM, (LPARAM)&drag));
    EXPECT_EQ(wr.left + ncw + 100, drag.right);
}

TEST(Gui, LeftoverTemporaryMoviesAreDeletedAtStartAndEnd)
{
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    const std::string leftover = std::string(tmp) + "zvxgui1.tmp.3gp";
    const std::string unrelated = std::string(tmp) + "zvxgui1.tmp.mp4";
    const std::string later = std::string(tmp) + "zvxgui2.tmp.3gp";
    const std::vector<uint8_t> bytes = Make3gp("mp4v", 176, 144);
    auto write = [&bytes](const std::string& path) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    };
    auto exists = [](const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    write(leftover);
    write(unrelated);
    {
        App app;
        ASSERT_NE(nullptr, app.Main());
        EXPECT_FALSE(exists(leftover)) << "deleted when the window is created";
        EXPECT_TRUE(exists(unrelated));
        write(later);
    }
    EXPECT_FALSE(exists(later)) << "deleted when the window is destroyed";
    EXPECT_TRUE(exists(unrelated));
    DeleteFileA(unrelated.c_str());
}

TEST(Gui, StartUpPictureIsCentred)
{
    BitmapFile startup(kRes + "startup.bmp");
    ASSERT_TRUE(startup.Loaded());
    ASSERT_EQ(264, startup.Width());
    ASSERT_EQ(100, startup.Height());
    App app;
    ASSERT_NE(nullptr, app.Main());
    const int left = 160 - 132, top = 100 - 50;
    // Painting follows the window's creation: wait until the sampled pixels agree.
    WaitUntil([&] {
        for (int y = 0; y < 100; y += 9)
            for (int x = 0; x < 264; x += 7)
                if (app.ClientPixel(left + x, top + y) != startup.Pixel(x, y)) return false;
        return true;
    }, 5000);
    int bad = 0;
    for (int y = 0; y < 100 && bad < 5; y += 9) {
        for (int x = 0; x < 264 && bad < 5; x += 7) {
            const COLORREF c = app.ClientPixel(left + x, top + y);
            if (c != startup.Pixel(x, y)) {
                ++bad;
                ADD_FAILURE() << x << "," << y << ": " << Hex(c) << " instead of " << Hex(startup.Pixel(x, y));
            }
        }
    }
    EXPECT_EQ(kWindowColour, app.ClientPixel(5, 5));
    EXPECT_EQ(kWindowColour, app.ClientPixel(315, 195));
}

TEST(Gui, MovieEmblemSitsOnTheFilmBand)
{
    ScratchDir dir;
    dir.Write("clip.3gp", Make3gp("mp4v", 176, 144));
    BitmapFile tile(kRes + "film_tile.bmp");
    ASSERT_TRUE(tile.Loaded());
    App app;
    ASSERT_NE(nullptr, app.Main());
    ASSERT_TRUE(app.OpenFile(dir.File("clip.3gp")));
    const int band = 100 - 64;
    // The screen shows the window once the dialog's own window has left the display.
    ASSERT_TRUE(WaitUntil([&] { return app.ClientPixel(11, band + 12) == tile.Pixel(11, 12); }, 20000));
    PauseForScreenshot("movie");
    EXPECT_EQ(kWindowColour, app.ClientPixel(5, band - 1)) << "above the band";
    EXPECT_EQ(kWindowColour, app.ClientPixel(5, band + 128)) << "below the band";
    // Tiles repeat every 132 pixels; left of the emblem they show unchanged.
    for (int y = 0; y < 128; y += 5) {
        for (int x : {2, 11, 134 + 2 - 132}) {
            ASSERT_EQ(tile.Pixel(x, y), app.ClientPixel(x, band + y)) << x << "," << y;
        }
    }
    // The emblem's red badge covers the band's middle.
    const COLORREF c = app.ClientPixel(160 - 136 + 8, 100);
    EXPECT_GT(GetRValue(c), GetGValue(c) + 60) << Hex(c);
}

TEST(Gui, MelodiesShowTheStaffAndTheirEmblem)
{
    ScratchDir dir;
    dir.Write("ring.mld", MakeMelody());
    dir.Write("tune.mid", MakeMidi());
    BitmapFile clef(kRes + "clef.bmp");
    ASSERT_TRUE(clef.Loaded());
    App app;
    ASSERT_NE(nullptr, app.Main());

    for (const char* name : {"ring.mld", "tune.mid"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(app.OpenFile(dir.File(name)));
        ASSERT_TRUE(WaitForClient(app, 320, 200));
        const int base = 200 - 142 - 40;
        ASSERT_TRUE(WaitUntil([&] {
            return app.ClientPixel(318, base + 35) == kStaffGrey &&
                   app.ClientPixel(318, base + 25) == kWindowColour;
        }, 20000));
        PauseForScreenshot(name);
        for (int line = 0; line < 5; ++line) {
            EXPECT_EQ(kStaffGrey, app.ClientPixel(318, base + 35 + 20 * line)) << "staff line " << line;
        }
        EXPECT_EQ(kWindowColour, app.ClientPixel(318, base + 25));
        // The clef at the left, above and below the emblem's rows (68 to 133).
        for (int y = 0; y < 142; y += 3) {
            const int x = 10;
            if (base + y >= 200) break;
            if (base + y >= 68 && base + y <= 133) continue;
            COLORREF want = clef.Pixel(x, y);
            if (want == kWindowColour && (y - 35) % 20 == 0 && y >= 35 && y <= 115) want = kStaffGrey;
            ASSERT_EQ(want, app.ClientPixel(x, base + y)) << "clef row " << y;
        }
        const bool midi = std::string(name) == "tune.mid";
        const COLORREF badge = app.ClientPixel(midi ? 2 + 8 : 21 + 8, 100);
        if (midi) {
            EXPECT_GT(GetBValue(badge), GetGValue(badge) + 60) << Hex(badge);
        } else {
            EXPECT_GT(GetGValue(badge), GetRValue(badge) + 60) << Hex(badge);
        }
        const auto info = app.ReadInformation();
        ASSERT_EQ(9u, info.size());
        EXPECT_EQ(midi ? "標準MIDIファイル" : "ｉメロディ", info[kKind]);
        EXPECT_EQ("(無効)", info[kSize]);
    }
}

TEST(Gui, ModeCommandsMoveTheCheckMark)
{
    App app;
    ASSERT_NE(nullptr, app.Main());
    EXPECT_EQ(0, app.CheckedViewItem()) << "free mode at start";
    app.Command(IDM_VIEW_SCROLL);
    EXPECT_EQ(1, app.CheckedViewItem());
    app.Command(IDM_VIEW_STRETCH);
    EXPECT_EQ(2, app.CheckedViewItem());
    app.Command(IDM_VIEW_FREE);
    EXPECT_EQ(0, app.CheckedViewItem());
}

TEST(Gui, ScrollModeWindowNeverOutgrowsASmallPicture)
{
    ScratchDir dir;
    dir.Write("small.bmp", MakeBmp(200, 150, Pattern));
    App app;
    ASSERT_NE(nullptr, app.Main());
    app.Command(IDM_VIEW_SCROLL);
    ASSERT_TRUE(app.OpenFile(dir.File("small.bmp")));
    ASSERT_TRUE(WaitUntil([&] { return app.ClientSize().cx == 200 && app.ClientSize().cy == 150; }));
    // The bars go once the view has settled on the new size; they must not stay.
    EXPECT_TRUE(WaitUntil([&] {
        return (GetWindowLongA(app.Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) == 0;
    })) << std::hex << GetWindowLongA(app.Main(), GWL_STYLE);

    // Dragged larger: the window comes back to the picture's size.
    RECT wr;
    GetWindowRect(app.Main(), &wr);
    SetWindowPos(app.Main(), nullptr, 0, 0, wr.right - wr.left + 100, wr.bottom - wr.top + 80,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(WaitUntil([&] { return app.ClientSize().cx == 200 && app.ClientSize().cy == 150; }))
        << app.ClientSize().cx << "x" << app.ClientSize().cy;

    // Made smaller: both bars appear.
    SetWindowPos(app.Main(), nullptr, 0, 0, wr.right - wr.left - 60, wr.bottom - wr.top - 50,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(WaitUntil([&] {
        return (GetWindowLongA(app.Main(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) ==
               (WS_HSCROLL | WS_VSCROLL);
    }));
}

// The view host's worker decodes a red 120 × 90 picture and hands it over 40 times while the
// user's File > Open dialog is up: the interface thread installs every handover from inside the
// dialog's loop (nothing waits on the worker), then installs the user's own blue 200 × 150
// picture; a last burst into the closing window is freed and the process ends with 0 (its
// worker decoded every time, so COM was up on that thread).
TEST(Gui, WorkerHandoverDuringOpenIsInstalledByTheInterfaceThread)
{
    ScratchDir dir;
    dir.Write("worker.bmp", MakeBmp(120, 90, [](int, int) { return RGB(255, 0, 0); }));
    dir.Write("user.bmp", MakeBmp(200, 150, [](int, int) { return RGB(0, 0, 255); }));
    App app("", ZV_VIEW_HOST_EXE, dir.File("worker.bmp") + " 40");
    ASSERT_NE(nullptr, app.Main());
    HANDLE go = OpenEventA(EVENT_MODIFY_STATE, FALSE, ViewHostEventName("go", app.ProcessId()).c_str());
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, ViewHostEventName("done", app.ProcessId()).c_str());
    ASSERT_NE(nullptr, go);
    ASSERT_NE(nullptr, done);

    app.Command(IDM_FILE_OPEN);
    HWND open = app.WaitDialog("ファイルを選択してください。");
    ASSERT_NE(nullptr, open);
    SetEvent(go);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 20000));
    EXPECT_TRUE(WaitForClient(app, 120, 90));
    EXPECT_TRUE(IsWindowVisible(open));  // (it covers the client area: no pixels to read yet)

    ASSERT_TRUE(app.ChooseInOpenDialog(open, dir.File("user.bmp")));
    EXPECT_TRUE(WaitForClient(app, 200, 150));
    EXPECT_TRUE(WaitUntil([&] { return app.ClientPixel(100, 75) == RGB(0, 0, 255); }));
    const auto info = app.ReadInformation();
    ASSERT_EQ(9u, info.size());
    EXPECT_EQ("200x150", info[kSize]);
    EXPECT_EQ("user.bmp", info[kFileName]);

    SetEvent(go);
    PostMessageA(app.Main(), WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(app.Exited(20000, &code));
    EXPECT_EQ(0u, code);
    CloseHandle(go);
    CloseHandle(done);
}
