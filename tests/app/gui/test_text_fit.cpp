// Every text that the menu bar, the six dialogs and the filled-in information dialog show fits
// its control: measured inside zorvex.exe (fit_probe.dll, loaded by a message hook) with the
// control's own font against its client width. The dialogs ask for "ＭＳ Ｐゴシック", which the
// Wine prefix maps to the metric-compatible IPA fonts (scripts/wine-up.sh).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/app/gui/FitProbe.h"
#include "tests/app/gui/GuiDriver.h"

using namespace gui;

namespace {

// Lines as fit_probe.dll writes them, measured inside the process of `window`.
std::vector<std::string> Probe(HWND window)
{
    std::vector<std::string> rows;
    static HMODULE dll = LoadLibraryA(WindowsPath(ZV_FIT_PROBE_DLL).c_str());
    HOOKPROC hook = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll, "FitProbeHook")));
    const std::string name = kFitProbeName + std::to_string(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kFitProbeBytes,
                                       name.c_str());
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, (name + ".done").c_str());
    const char* view = (const char*)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    HHOOK hooked = hook ? SetWindowsHookExA(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(window, nullptr))
                        : nullptr;
    if (hooked && view && done) {
        PostMessageA(window, RegisterWindowMessageA(kFitProbeName), GetCurrentProcessId(), 0);
        if (WaitForSingleObject(done, 10000) == WAIT_OBJECT_0) {
            std::istringstream lines(std::string(view, strnlen(view, kFitProbeBytes)));
            for (std::string line; std::getline(lines, line);) rows.push_back(line);
        }
    }
    if (hooked) UnhookWindowsHookEx(hooked);
    if (view) UnmapViewOfFile(view);
    CloseHandle(done);
    CloseHandle(mapping);
    return rows;
}

// The windows measured, in the order the test opens them over one running program.
const struct Window {
    const char* name;
    int command;          // opens it (0: the main window itself)
    const char* caption;  // of the dialog it opens
    int ready;            // a control of that dialog, enabled once the dialog shows its final texts
} kWindows[] = {
    {"main menu", 0, nullptr, 0},
    {"about (103)", IDM_ABOUT, "バージョン情報", IDOK},
    {"information (131)", IDM_FILE_INFO, "ファイルの情報", IDC_INFO_DATE},
    {"send settings (129)", IDM_IR_SEND, "赤外線送信の設定", IDC_FMT_DOCOMO},
    {"serial settings (148)", IDM_SERIAL_RECEIVE, "受信 - シリアル設定", IDC_SERIAL_PORT},
    // An infrared receive without an infrared port ends at once with its message.
    {"progress (130)", IDM_IR_RECEIVE, "受信失敗", IDC_PROGRESS_BUTTON},
    // Over infrared too: the wait shows why it cannot listen.
    {"continuous receive (149)", IDM_CONTINUOUS_RECEIVE, "連続受信 (0 件)", IDCANCEL},
};

// Texts that the dialog layout leaves too little room even in the metric-compatible fonts.
// The controls keep their sizes; each overflow is allowed up to what was measured, and an entry
// whose text fits is reported as stale.
const struct Overflow {
    const char* window;
    int id, pixels;
} kLayoutOverflows[] = {
    // The widest date and time, every field two digits ("2003年12月28日 23時58分58秒"), is 187
    // pixels in the 184 of the 105-unit value static: the time wraps out of sight.
    {"information (131)", IDC_INFO_DATE, 3},
};

}  // namespace

TEST(GuiTextFit, EveryLabelFitsItsControlWithTheControlsFont)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(WindowsPath(ZV_TEST_DATA) + "\\app\\photo.jpg"));
    ASSERT_TRUE(SetLocalWriteTime(dir.File("photo.jpg"), 2003, 12, 28, 23, 58, 58));
    RegistryPorts ports;
    ASSERT_TRUE(ports.Add("COM6", "Communications Port"));
    App app;
    ASSERT_NE(nullptr, app.Main());

    std::string clipped, stale;
    int measured = 0;
    for (const Window& w : kWindows) {
        HWND window = app.Main();
        if (w.command) {
            if (w.command == IDM_FILE_INFO) {  // this and the send settings need an object
                ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
            }
            if (w.command == IDM_CONTINUOUS_RECEIVE) {  // asks for the line and the folder first
                window = StartContinuousReceive(app, false, dir.Path());
                // Its final text: the wait ended at once, as the progress dialog's receive did.
                EXPECT_TRUE(window && WaitUntil([&] {
                    return ControlText(window, IDC_CONT_STATUS) == "赤外線ポートが使用できません。";
                })) << w.name;
            } else {
                app.Command(w.command);
                window = app.WaitDialog(w.caption);
            }
            ASSERT_TRUE(window && WaitUntil([&] { return Enabled(window, w.ready); }))
                << w.name << ": no such dialog, or not ready";
        }
        const std::vector<std::string> rows = Probe(window);
        EXPECT_FALSE(rows.empty()) << w.name << ": nothing measured";
        for (const std::string& row : rows) {
            int id = 0, width = 0, room = 0, height = 0, roomHeight = 0;
            std::sscanf(row.c_str(), "%d\t%*[^\t]\t%d\t%d\t%d\t%d", &id, &width, &room, &height, &roomHeight);
            std::string line = std::string("\n  ") + w.name + " " + row;
            for (char& c : line) c = c == '\t' ? ' ' : c;
            if (std::getenv("ZV_GUI_DEBUG")) std::printf("%s\n", line.c_str() + 3);
            const bool fits = width <= room && height <= roomHeight;
            const Overflow* allowed = nullptr;
            for (const Overflow& o : kLayoutOverflows) {
                if (std::string(o.window) == w.name && o.id == id) allowed = &o;
            }
            if (allowed && fits) stale += line;
            if (!fits && !(allowed && width - room <= allowed->pixels && height <= roomHeight)) clipped += line;
        }
        measured += (int)rows.size();
        if (w.command) {
            EXPECT_TRUE(WaitUntil([&] {
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                return !IsWindow(window);
            })) << w.name;
        }
    }
    EXPECT_TRUE(stale.empty()) << "allowed layout overflows that fit now (drop them):" << stale;
    EXPECT_TRUE(clipped.empty()) << "texts wider (or, wrapped, taller) than their controls"
                                 << " (id class width room height room text):" << clipped;
    std::printf("%d texts measured\n", measured);
}
