// Every text that the main menu bar, the five dialogs and the filled-in information dialog show
// fits its control: measured inside zorvex.exe (fit_probe.dll, loaded by a message hook) with
// the control's own font against its client width. The dialogs ask for "ＭＳ Ｐゴシック", which
// the Wine prefix maps to the metric-compatible IPA fonts (scripts/wine-up.sh).
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

struct Measured {
    int id;
    std::string cls;
    FitRow size;
    std::string text;
    bool Fits() const { return size.width <= size.room && size.height <= size.roomHeight; }
};

// Measures the controls of `window` (and its menu bar) inside the window's own process.
std::vector<Measured> Probe(HWND window)
{
    std::vector<Measured> rows;
    static HMODULE dll = LoadLibraryA(WindowsPath(ZV_FIT_PROBE_DLL).c_str());
    HOOKPROC hook = dll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(dll, "FitProbeHook"))) : nullptr;
    if (!hook) return rows;
    const std::string name = kFitProbeName + std::to_string(GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kFitProbeBytes,
                                       name.c_str());
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, (name + ".done").c_str());
    HHOOK hooked = SetWindowsHookExA(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(window, nullptr));
    const char* view = mapping ? (const char*)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (hooked && view && done) {
        PostMessageA(window, RegisterWindowMessageA(kFitProbeName), GetCurrentProcessId(), 0);
        if (WaitForSingleObject(done, 10000) == WAIT_OBJECT_0) {
            std::istringstream lines(std::string(view, strnlen(view, kFitProbeBytes)));
            for (std::string line; std::getline(lines, line);) {
                Measured m{};
                char cls[32] = "";
                int used = 0;
                if (std::sscanf(line.c_str(), "%d\t%31[^\t]\t%d\t%d\t%d\t%d\t%n", &m.id, cls, &m.size.width,
                                &m.size.room, &m.size.height, &m.size.roomHeight, &used) < 6) {
                    continue;
                }
                m.cls = cls;
                m.text = line.substr((size_t)used);
                rows.push_back(m);
            }
        }
    }
    if (view) UnmapViewOfFile(view);
    if (hooked) UnhookWindowsHookEx(hooked);
    if (done) CloseHandle(done);
    if (mapping) CloseHandle(mapping);
    return rows;
}

// The windows measured, in the order the test opens them over one running program.
struct Window {
    const char* name;
    int command;          // opens it (0: the main window itself)
    const char* caption;  // of the dialog it opens
    int ready;            // a control of that dialog, enabled once the dialog shows its final texts
};
const Window kWindows[] = {
    {"main menu", 0, nullptr, 0},
    {"about (103)", IDM_ABOUT, "バージョン情報", IDOK},
    {"information (131)", IDM_FILE_INFO, "ファイルの情報", IDC_INFO_DATE},
    {"send settings (129)", IDM_IR_SEND, "赤外線送信の設定", IDC_FMT_DOCOMO},
    {"serial settings (148)", IDM_SERIAL_RECEIVE, "受信 - シリアル設定", IDC_SERIAL_PORT},
    // An infrared receive without an infrared port ends at once with its message.
    {"progress (130)", IDM_IR_RECEIVE, "受信失敗", IDC_PROGRESS_BUTTON},
};

// Texts that the design's layout leaves too little room for even in the metric-compatible
// fonts. The controls keep the design's sizes; each overflow is allowed up to what was measured,
// and an entry whose text fits again is reported as stale.
const struct Overflow {
    const char* window;
    int id;
    int pixels;
} kDesignOverflows[] = {
    // The widest date and time, every field two digits ("2003年12月28日 23時58分58秒"), is 187
    // pixels in the 184 of the 105-unit value static; its time part wraps out of sight.
    {"information (131)", IDC_INFO_DATE, 3},
};

const Overflow* DesignOverflow(const char* window, int id)
{
    for (const Overflow& o : kDesignOverflows) {
        if (std::string(o.window) == window && o.id == id) return &o;
    }
    return nullptr;
}

std::string Describe(const char* window, const Measured& m)
{
    std::ostringstream s;
    s << window << " " << m.cls << " " << m.id << " \"" << m.text << "\" " << m.size.width << " > " << m.size.room;
    if (m.size.roomHeight) s << " or " << m.size.height << " > " << m.size.roomHeight << " high";
    return s.str();
}

}  // namespace

TEST(GuiTextFit, EveryLabelFitsItsControlWithTheControlsFont)
{
    ScratchDir dir;
    dir.Write("photo.jpg", ReadFileBytes(WindowsPath(ZV_TEST_DATA) + "\\app\\photo.jpg"));
    // The widest date the information dialog shows: two digits everywhere.
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
            // The information and send settings dialogs need an object.
            if (w.command == IDM_FILE_INFO) {
                ASSERT_TRUE(app.OpenFile(dir.File("photo.jpg")));
            }
            app.Command(w.command);
            window = app.WaitDialog(w.caption);
            ASSERT_NE(nullptr, window) << w.name;
            ASSERT_TRUE(WaitUntil([&] { return GetDlgItem(window, w.ready) && Enabled(window, w.ready); }))
                << w.name << ": not the dialog, or not ready";
        }
        const std::vector<Measured> rows = Probe(window);
        EXPECT_FALSE(rows.empty()) << w.name << ": nothing measured";
        for (const Measured& m : rows) {
            if (std::getenv("ZV_GUI_DEBUG")) std::printf("%s\n", Describe(w.name, m).c_str());
            const Overflow* allowed = DesignOverflow(w.name, m.id);
            if (allowed && m.Fits()) stale += "\n  " + Describe(w.name, m);
            const bool accepted = allowed && m.size.width - m.size.room <= allowed->pixels &&
                                  m.size.height <= m.size.roomHeight;
            if (!m.Fits() && !accepted) clipped += "\n  " + Describe(w.name, m);
        }
        measured += (int)rows.size();
        if (w.command) {
            EXPECT_TRUE(WaitUntil([&] {
                PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                return !IsWindow(window);
            })) << w.name;
        }
    }
    EXPECT_TRUE(stale.empty()) << "design overflows that fit now (drop them from the list):" << stale;
    EXPECT_TRUE(clipped.empty()) << "texts wider than their controls (width > room, in pixels):" << clipped;
    std::printf("%d texts measured\n", measured);
}
