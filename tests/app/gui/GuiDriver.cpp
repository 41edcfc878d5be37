#include "tests/app/gui/GuiDriver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "res/resource.h"
#include "tests/support/Bmp24.h"
#include "tests/support/Mp4Bytes.h"

namespace gui {

void PauseForScreenshot(const char* what)
{
    const char* ms = std::getenv("ZV_GUI_PAUSE_MS");
    if (!ms) return;
    std::printf("PAUSE %s\n", what);
    std::fflush(stdout);
    Sleep((DWORD)std::atoi(ms));
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if ((int)(GetTickCount() - start) > timeoutMs) return false;
        Sleep(20);
    }
}

namespace {

struct FindContext {
    DWORD pid;
    const char* cls;
    const char* caption;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp)
{
    FindContext& c = *reinterpret_cast<FindContext*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != c.pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = "", caption[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (std::strcmp(cls, c.cls) == 0 && (!c.caption || std::strcmp(caption, c.caption) == 0)) {
        c.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindProcessWindow(DWORD pid, const char* cls, const char* caption)
{
    FindContext c{pid, cls, caption, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

}  // namespace

App::App(const std::string& workDir, const std::string& program, const std::string& arguments)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string exe = WindowsPath(program);
    std::string cmd = "\"" + exe + "\"";
    if (!arguments.empty()) cmd += " " + arguments;
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &process_)) {
        return;
    }
    WaitUntil([this] {
        main_ = FindProcessWindow(process_.dwProcessId, "ZORVEX", "Zorvex");
        return main_ != nullptr || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
    }, 20000);
}

App::~App()
{
    if (!process_.hProcess) return;
    // Whatever modal loop a test left open: close it first so WM_CLOSE reaches the window.
    for (int i = 0; i < 5; ++i) {
        HWND dlg = FindProcessWindow(process_.dwProcessId, "#32770", nullptr);
        if (!dlg) break;
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        WaitGone(dlg, 3000);
    }
    if (main_ && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool App::Exited(int timeoutMs, DWORD* code)
{
    if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.hProcess, code);
    return true;
}

void App::Command(int id) { PostMessageA(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

SIZE App::ClientSize() const
{
    RECT rc{};
    GetClientRect(main_, &rc);
    return SIZE{rc.right, rc.bottom};
}

HWND App::WaitDialog(const char* caption, int timeoutMs) const
{
    HWND dlg = nullptr;
    WaitUntil([&] {
        dlg = FindProcessWindow(process_.dwProcessId, "#32770", caption);
        return dlg != nullptr;
    }, timeoutMs);
    return dlg;
}

bool App::WaitGone(HWND window, int timeoutMs) const
{
    return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string App::TakeMessageBox(const char* caption)
{
    HWND box = WaitDialog(caption);
    if (!box) return "";
    std::string text = ControlText(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitGone(box);
    return text;
}

bool App::OpenFile(const std::string& path)
{
    Command(IDM_FILE_OPEN);
    HWND dlg = WaitDialog("ファイルを選択してください。");
    return dlg && ChooseInOpenDialog(dlg, path);
}

bool App::ChooseInOpenDialog(HWND dlg, const std::string& path)
{
    HWND name = GetDlgItem(dlg, 1148);
    if (!name) return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    return WaitGone(dlg);
}

std::vector<std::string> App::ReadInformation()
{
    std::vector<std::string> out;
    Command(IDM_FILE_INFO);
    HWND dlg = WaitDialog("ファイルの情報");
    if (!dlg) return out;
    for (int id = IDC_INFO_FORMAT; id <= IDC_INFO_REDIST; ++id) out.push_back(ControlText(dlg, id));
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
    WaitGone(dlg);
    return out;
}

bool App::AltChar(char c)
{
    SetForegroundWindow(main_);
    if (!WaitUntil([this] { return GetForegroundWindow() == main_; }, 3000)) return false;
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) return false;
    std::vector<WORD> keys = {VK_MENU};
    if (scan & 0x100) keys.push_back(VK_SHIFT);
    keys.push_back((WORD)(scan & 0xFF));
    std::vector<INPUT> inputs;
    for (WORD k : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = k;
        inputs.push_back(in);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    return SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT)) == inputs.size();
}

int App::CheckedViewItem()
{
    SetForegroundWindow(main_);
    PostMessageA(main_, WM_SYSCOMMAND, SC_KEYMENU, 'v');
    HWND popup = nullptr;
    WaitUntil([&] {
        popup = FindProcessWindow(process_.dwProcessId, "#32768", nullptr);
        return popup != nullptr;
    }, 5000);
    if (!popup) return -2;
    PauseForScreenshot("menu");
    RECT r;
    GetWindowRect(popup, &r);
    // Reads the rows that carry a check mark; the popup may still be painting, so the answer
    // counts once two reads in a row agree on one mark.
    int first = -1, last = -1;
    auto scan = [&] {
        first = last = -1;
        HDC screen = GetDC(nullptr);
        // The check mark sits in the margin left of the item texts. Each row's background (the
        // highlighted row has its own) is the colour most common in that margin.
        for (int y = r.top + 2; y < r.bottom - 2; ++y) {
            // Between the frame (3 pixels) and the texts (from about 20 pixels in).
            COLORREF row[16];
            for (int i = 0; i < 16; ++i) row[i] = GetPixel(screen, r.left + 4 + i, y);
            COLORREF bg = row[0];
            int best = 0;
            for (int i = 0; i < 16; ++i) {
                int n = 0;
                for (int j = 0; j < 16; ++j) n += row[j] == row[i];
                if (n > best) {
                    best = n;
                    bg = row[i];
                }
            }
            for (int i = 0; i < 12; ++i) {
                const COLORREF c = row[i];
                const int diff = std::abs((int)GetRValue(c) - (int)GetRValue(bg)) +
                                 std::abs((int)GetGValue(c) - (int)GetGValue(bg)) +
                                 std::abs((int)GetBValue(c) - (int)GetBValue(bg));
                if (diff > 150) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
            }
        }
        ReleaseDC(nullptr, screen);
        if (first < 0) return -1;
        const int height = r.bottom - r.top;
        const int a = (first - r.top) * 3 / height, b = (last - r.top) * 3 / height;
        return a == b ? a : -1;
    };
    int item = -1, previous = -2;
    WaitUntil([&] {
        item = scan();
        const bool settled = item >= 0 && item == previous;
        previous = item;
        return settled;
    }, 3000);
    PostMessageA(main_, WM_CANCELMODE, 0, 0);
    WaitGone(popup, 3000);
    if (std::getenv("ZV_GUI_DEBUG")) {
        std::printf("popup %ld,%ld-%ld,%ld marks %d..%d\n", r.left, r.top, r.right, r.bottom, first, last);
    }
    return item;
}

COLORREF App::ClientPixel(int x, int y) const
{
    POINT p{x, y};
    ClientToScreen(main_, &p);
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control) return "<no control>";
    char buf[1024] = "";
    SendMessageA(control, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

bool Checked(HWND dlg, int id) { return SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
void Click(HWND dlg, int id) { SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0); }
void Press(HWND dlg, int id)
{
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}
void SetText(HWND dlg, int id, const std::string& text)
{
    SendDlgItemMessageA(dlg, id, WM_SETTEXT, 0, (LPARAM)text.c_str());
}

namespace {

struct BoxSearch {
    HWND owner, box;
};

BOOL CALLBACK FindBox(HWND w, LPARAM p)
{
    BoxSearch& f = *reinterpret_cast<BoxSearch*>(p);
    if (GetWindow(w, GW_OWNER) != f.owner || !GetDlgItem(w, 0xFFFF)) return TRUE;
    f.box = w;
    return FALSE;
}

}  // namespace

std::string TakeBoxOver(HWND dlg, int button)
{
    BoxSearch find{dlg, nullptr};
    WaitUntil([&] {
        EnumWindows(FindBox, (LPARAM)&find);
        return find.box != nullptr;
    });
    // Which way it failed: a dialog that is gone took its OK without asking.
    if (!find.box) return IsWindow(dlg) ? "no box; the dialog is still open" : "no box; the dialog is gone";
    char caption[64] = "", own[64] = "";
    GetWindowTextA(find.box, caption, sizeof caption);
    GetWindowTextA(dlg, own, sizeof own);
    std::string text = ControlText(find.box, 0xFFFF);
    PostMessageA(find.box, WM_COMMAND, (WPARAM)button, 0);
    WaitUntil([&] { return !IsWindow(find.box); });
    return std::string(caption) == own ? text : "caption " + std::string(caption);
}

bool SetLocalWriteTime(const std::string& path, int year, int month, int day, int hour, int minute,
                       int second)
{
    SYSTEMTIME st{};
    st.wYear = (WORD)year, st.wMonth = (WORD)month, st.wDay = (WORD)day;
    st.wHour = (WORD)hour, st.wMinute = (WORD)minute, st.wSecond = (WORD)second;
    FILETIME local, utc;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool ok = h != INVALID_HANDLE_VALUE && SystemTimeToFileTime(&st, &local) &&
                    LocalFileTimeToFileTime(&local, &utc) && SetFileTime(h, nullptr, nullptr, &utc);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return ok;
}

namespace {

const char kEnumRoot[] = "SYSTEM\\CurrentControlSet\\Enum\\ZVGUI\\PORTS";
const char kSerialComm[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

bool SetRegistryText(const std::string& key, const char* name, const std::string& value,
                     HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY h;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok = RegSetValueExA(h, name, 0, REG_SZ, (const BYTE*)value.c_str(),
                                   (DWORD)value.size() + 1) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

void DeleteRegistryTree(HKEY parent, const char* path)
{
    HKEY h;
    if (RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
    char name[256];
    DWORD size = sizeof name;
    while (RegEnumKeyExA(h, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        DeleteRegistryTree(h, name);
        size = sizeof name;
    }
    RegCloseKey(h);
    RegDeleteKeyA(parent, path);
}

}  // namespace

RegistryPorts::~RegistryPorts()
{
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kEnumRoot);
    HKEY comm;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_SET_VALUE, &comm) == ERROR_SUCCESS) {
        for (const std::string& v : values_) RegDeleteValueA(comm, v.c_str());
        RegCloseKey(comm);
    }
}

bool RegistryPorts::Add(const std::string& port, const std::string& description)
{
    const std::string instance = std::string(kEnumRoot) + "\\" + port;
    values_.push_back("\\Device\\ZvGui" + port);
    return SetRegistryText(instance, "ClassGUID", "{4D36E978-E325-11CE-BFC1-08002BE10318}") &&
           SetRegistryText(instance, "DeviceDesc", description) &&
           SetRegistryText(instance + "\\Device Parameters", "PortName", port) &&
           SetRegistryText(kSerialComm, values_.back().c_str(), port);
}

std::vector<uint8_t> MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& pattern)
{
    return testing_bmp::Bmp24(width, height, [&pattern](int x, int y) {
        const COLORREF c = pattern(x, y);
        return ((uint32_t)GetRValue(c) << 16) | ((uint32_t)GetGValue(c) << 8) | GetBValue(c);
    });
}

std::vector<uint8_t> Make3gp(const char* codec, uint16_t width, uint16_t height)
{
    return testing_mp4::Movie(codec, width, height);
}

std::vector<uint8_t> MakeMelody()
{
    std::vector<uint8_t> b = {'m', 'e', 'l', 'o', 0, 0, 0, 32};
    b.resize(40, 0x20);
    return b;
}

std::vector<uint8_t> MakeMidi()
{
    std::vector<uint8_t> b = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                              'M', 'T', 'r', 'k', 0, 0, 0, 12,
                              0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    return b;
}

BitmapFile::BitmapFile(const std::string& path)
{
    bitmap_ = (HBITMAP)LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    if (!bitmap_) return;
    BITMAP info{};
    GetObjectA(bitmap_, sizeof info, &info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
}

BitmapFile::~BitmapFile()
{
    if (!bitmap_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

}  // namespace gui

namespace gui {

HWND StartContinuousReceive(App& app, bool serial, const std::string& folder)
{
    if (!SetRegistryText("Software\\Zorvex for Windows", "ReceiveFolder", folder, HKEY_CURRENT_USER)) {
        return nullptr;
    }
    app.Command(IDM_CONTINUOUS_RECEIVE);
    HWND step = app.WaitDialog("連続受信");  // the question
    if (!step) return nullptr;
    Press(step, serial ? IDNO : IDYES);
    if (serial && (!app.WaitGone(step) || !(step = app.WaitDialog("受信 - シリアル設定")))) return nullptr;
    if (serial) Press(step, IDOK);
    // The folder picker, whatever the system calls it: the one dialog left.
    if (!app.WaitGone(step) ||
        !WaitUntil([&] { return (step = FindProcessWindow(app.ProcessId(), "#32770", nullptr)) != nullptr; })) {
        return nullptr;
    }
    Press(step, IDOK);
    return app.WaitDialog("連続受信 (0 件)");
}

std::vector<std::vector<std::string>> ListRows(HWND list, int columns)
{
    std::vector<std::vector<std::string>> rows;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    // The item and its text live in the program: the list writes into its own memory.
    char* remote = process ? (char*)VirtualAllocEx(process, nullptr, 2048, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    for (int row = 0; remote && row < (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
        rows.emplace_back();
        for (int column = 0; column < columns; ++column) {
            LVITEMA item{};
            item.iSubItem = column, item.cchTextMax = 1024, item.pszText = remote + 1024;
            char text[1024] = "";
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)remote);
            ReadProcessMemory(process, remote + 1024, text, sizeof text - 1, nullptr);
            rows.back().push_back(text);
        }
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
    return rows;
}

}  // namespace gui
