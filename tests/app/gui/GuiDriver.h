// Drives a running zorvex.exe from outside, as a user's actions would: menu commands posted to
// its main window, common dialogs filled in through their controls, texts read back.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/support/WinePath.h"

namespace gui {

using testing_wine::WindowsPath;

// With ZV_GUI_PAUSE_MS set, prints `what` and holds still that long (for screenshots).
void PauseForScreenshot(const char* what);

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

class App {
public:
    // Starts zorvex.exe (or another program with its main window, `exe` a Unix path) in
    // `workDir` (or the driver's folder) and waits for its main window.
    explicit App(const std::string& workDir = "", const std::string& exe = ZV_ZORVEX_EXE,
                 const std::string& arguments = "");
    ~App();  // closes the window and waits for the process; kills it only if it hangs
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND Main() const { return main_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    bool Exited(int timeoutMs, DWORD* code);

    void Command(int id);  // posted: a command may open a modal loop
    SIZE ClientSize() const;

    // A top-level dialog (#32770) of this process with this caption, or nullptr after the wait.
    HWND WaitDialog(const char* caption, int timeoutMs = 10000) const;
    bool WaitGone(HWND window, int timeoutMs = 10000) const;

    // The message box with this caption: its text, then closes it with OK. Empty when none came.
    std::string TakeMessageBox(const char* caption);

    // File > Open through the common dialog; returns once the dialog is gone.
    bool OpenFile(const std::string& path);
    // The part after the command: fills in the open dialog and confirms it.
    bool ChooseInOpenDialog(HWND dialog, const std::string& path);
    // File > Information: every value static (ids 1023..1031) read, then closed with OK.
    std::vector<std::string> ReadInformation();

    // Types a character with Alt held, as real key strokes into the focused main window.
    bool AltChar(char c);

    // Opens the "表示(&V)" popup and returns which of its three items carries the check mark
    // (0 free, 1 scroll, 2 stretch; -1 none or several), read from the screen; closes it again.
    int CheckedViewItem();

    // Colour of a client-area pixel as the screen shows it.
    COLORREF ClientPixel(int x, int y) const;

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Text of a control in another process (WM_GETTEXT is sent; GetWindowText would not).
std::string ControlText(HWND dialog, int id);

// Dialog controls of another process.
bool Checked(HWND dlg, int id);
bool Enabled(HWND dlg, int id);
void Click(HWND dlg, int id);  // sent: the click is handled when this returns
void Press(HWND dlg, int id);  // posted: the button's command may open a modal loop
void SetText(HWND dlg, int id, const std::string& text);

// The message box that `dlg` shows with the dialog's own caption: its text, closed with
// `button` ("caption ..." when the box has another caption; "no box; ..." when none came, saying
// whether `dlg` is still open).
std::string TakeBoxOver(HWND dlg, int button = IDOK);

// Communication > Continuous receive (over the one registered serial port, else infrared) into
// `folder`, remembered first so that the folder picker starts there and only needs OK: the
// window once it shows, or nullptr.
HWND StartContinuousReceive(App& app, bool serial, const std::string& folder);
// The cell texts of a list view of another process, row by row.
std::vector<std::vector<std::string>> ListRows(HWND list, int columns);

// Sets a file's last write time to a local calendar time.
bool SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute,
                       int second);

// Ports as the system's device tree lists them: written into this Wine prefix's registry for
// one test and removed again.
class RegistryPorts {
public:
    ~RegistryPorts();
    bool Add(const std::string& port, const std::string& description);

private:
    std::vector<std::string> values_;
};

// A 24-bit bottom-up BMP file whose pixel (x, y) has colour pattern(x, y) (0x00BBGGRR).
std::vector<uint8_t> MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& pattern);

// Small phone-style files built as bytes.
std::vector<uint8_t> Make3gp(const char* codec, uint16_t width, uint16_t height);
std::vector<uint8_t> MakeMelody();  // "melo" header, 40 bytes
std::vector<uint8_t> MakeMidi();    // "MThd" header, one empty track

// Pixels of a bitmap file, read through GDI.
class BitmapFile {
public:
    explicit BitmapFile(const std::string& path);
    ~BitmapFile();
    bool Loaded() const { return bitmap_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0, height_ = 0;
};

}  // namespace gui
