#include "app/win32/MainWindow.h"

#include <dbt.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/FileRules.h"
#include "app/win32/CommunicationCommands.h"
#include "app/win32/ContinuousReceive.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Dialog.h"
#include "app/win32/FileCommands.h"
#include "app/win32/MoviePlayback.h"
#include "app/win32/ProgressDialog.h"
#include "app/win32/View.h"
#include "res/resource.h"

namespace {

HINSTANCE g_instance;
char g_title[100];
char g_windowClass[100];

// WM_COPYDATA from a second copy started with files: its command line.
constexpr ULONG_PTR kHandedFilesTag = 0x5A564F50;  // "ZVOP"
constexpr DWORD kMaxHandedBytes = 32768;           // the longest command line
// Posted to itself once the second copy's call has returned: opening may show message boxes.
constexpr UINT kOpenHandedFiles = WM_APP + 16;
std::vector<std::string> g_handedFiles;

const char kHomePage[] = "http://zorvex.example.jp/";
const char kManual[] = "zorvex.html";  // looked up in the current folder
const char kManualFailed[] = "ドキュメントを開けませんでした。";

void OpenWithShell(HWND hwnd, const char* target, const char* failure)
{
    HINSTANCE result = ShellExecuteA(nullptr, "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    if ((INT_PTR)result < 32) Warn(hwnd, failure, "Zorvex");
}

// Files dropped from the shell. A modal dialog disables the window, and the shell drops nothing
// on a disabled one; a drop that comes anyway then is let go.
void OnDropFiles(HWND hwnd, HDROP drop)
{
    struct Finish {
        HDROP drop;
        ~Finish() { DragFinish(drop); }
    } finish{drop};
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
        path.resize(DragQueryFileA(drop, i, &path[0], (UINT)path.size()));
        if (!path.empty()) paths.push_back(path);
    }
    if (IsWindowEnabled(hwnd)) OpenGivenFiles(hwnd, paths);
}

BOOL CALLBACK ForwardDeviceChange(HWND child, LPARAM)
{
    SendMessageA(child, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    return TRUE;
}

// Returns false for an id that is not a command of the program.
bool OnCommand(HWND hwnd, int id)
{
    switch (id) {
    case IDM_FILE_OPEN: OpenFileCommand(g_instance, hwnd); return true;
    case IDM_FILE_SAVE: SaveFileCommand(g_instance, hwnd); return true;
    case IDM_FILE_INFO: FileInfoCommand(g_instance, hwnd); return true;
    case IDM_EXIT: DestroyWindow(hwnd); return true;
    case IDM_IR_RECEIVE: ReceiveCommand(hwnd); return true;
    case IDM_IR_SEND: SendCommand(hwnd); return true;
    case IDM_SERIAL_RECEIVE: SerialReceiveCommand(hwnd); return true;
    case IDM_SERIAL_SEND: SerialSendCommand(hwnd); return true;
    case IDM_CONTINUOUS_RECEIVE: ContinuousReceiveCommand(hwnd); return true;
    case IDM_VIEW_FREE: View::SetMode(hwnd, ViewMode::Free); return true;
    case IDM_VIEW_SCROLL: View::SetMode(hwnd, ViewMode::Scroll); return true;
    case IDM_VIEW_STRETCH: View::SetMode(hwnd, ViewMode::Stretch); return true;
    case IDM_HELP_MANUAL:
        // Some shells (Wine's) hand a missing document to a browser and call that a success.
        if (GetFileAttributesA(kManual) == INVALID_FILE_ATTRIBUTES) {
            Warn(hwnd, kManualFailed, "Zorvex");
        } else {
            OpenWithShell(hwnd, kManual, kManualFailed);
        }
        return true;
    case IDM_HELP_HOMEPAGE:
        OpenWithShell(hwnd, kHomePage, "Zorvexのホームページを開けませんでした。");
        return true;
    case IDM_ABOUT:
        ModalDialog().Run(g_instance, IDD_ABOUTBOX, hwnd);
        return true;
    default:
        return false;
    }
}

// Ends the painting a WM_PAINT began, however the handler leaves.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintScope() { EndPaint(hwnd_, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_;
    HDC dc_;
};

LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        DeleteTemporaryMovies();
        View::OnCreate(hwnd, g_instance);
        DragAcceptFiles(hwnd, TRUE);
        return 0;
    case WM_ENDSESSION:
        // The system ends the process once this returns: a transfer must give the port back
        // and restart the Infrared Monitor first.
        if (wParam) {
            EndTransfers();
            EndContinuousReceive();
        }
        return 0;
    case WM_DESTROY:
        // No worker outlives the window: each is cancelled and waited for.
        EndTransfers();
        EndContinuousReceive();
        View::OnDestroy(hwnd);
        DeleteTemporaryMovies();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        return View::OnSize(hwnd, wParam, LOWORD(lParam), HIWORD(lParam));
    case WM_PAINT: {
        PaintScope paint(hwnd);
        View::OnPaint(hwnd, paint.Dc());
        return 0;
    }
    case View::kContentReady:
        View::OnContentReady(hwnd);
        return 0;
    case WM_KEYDOWN:
        View::OnKeyDown(hwnd, wParam);
        return 0;
    case WM_COMMAND:
        if (OnCommand(hwnd, LOWORD(wParam))) return 0;
        break;
    case WM_HSCROLL:
        View::OnScroll(hwnd, SB_HORZ, wParam);
        return 0;
    case WM_VSCROLL:
        View::OnScroll(hwnd, SB_VERT, wParam);
        return 0;
    case WM_SIZING:
        return View::OnSizing(hwnd, wParam, reinterpret_cast<RECT*>(lParam));
    case WM_DROPFILES:
        OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kHandedFilesTag || !data->lpData ||
            data->cbData > kMaxHandedBytes) {
            break;
        }
        const std::string line(static_cast<const char*>(data->lpData), data->cbData);
        // Two copies started at once both hand theirs over; the first post opens them all.
        const std::vector<std::string> paths = CommandLinePaths(line.c_str());
        g_handedFiles.insert(g_handedFiles.end(), paths.begin(), paths.end());
        PostMessageA(hwnd, kOpenHandedFiles, 0, 0);
        return TRUE;
    }
    case kOpenHandedFiles: {
        std::vector<std::string> paths;
        paths.swap(g_handedFiles);
        if (IsWindowEnabled(hwnd)) OpenGivenFiles(hwnd, paths);
        return 0;
    }
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVNODES_CHANGED) EnumChildWindows(hwnd, ForwardDeviceChange, 0);
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        // No exception may return into the system; a command says that it failed.
        if (msg == WM_COMMAND) WarnUnexpected(hwnd);
        return 0;
    }
}

}  // namespace

namespace MainWindow {

HINSTANCE Instance() { return g_instance; }
const char* Title() { return g_title; }
const char* WindowClass() { return g_windowClass; }

void Register(HINSTANCE instance)
{
    g_instance = instance;
    LoadStringA(instance, IDS_APP_TITLE, g_title, sizeof g_title);
    LoadStringA(instance, IDS_WINDOW_CLASS, g_windowClass, sizeof g_windowClass);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZORVEX));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // the view paints every pixel
    wc.lpszMenuName = MAKEINTRESOURCEA(IDC_ZORVEX);
    wc.lpszClassName = g_windowClass;
    RegisterClassExA(&wc);
}

HWND Create(HINSTANCE instance, int show)
{
    RECT rc{0, 0, 320, 200};
    AdjustWindowRect(&rc, WS_OVERLAPPEDWINDOW, TRUE);
    HWND hwnd = CreateWindowExA(0, g_windowClass, g_title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, instance,
                                nullptr);
    if (!hwnd) return nullptr;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    return hwnd;
}

void OpenCommandLine(HWND main, const char* commandLine)
{
    OpenGivenFiles(main, CommandLinePaths(commandLine));
}

void HandOver(HWND running, const char* commandLine)
{
    // The running copy has another current folder: each path goes over whole, quoted.
    std::string line;
    for (const std::string& path : CommandLinePaths(commandLine)) {
        char full[MAX_PATH];
        const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
        line += "\"" + (n > 0 && n < sizeof full ? std::string(full, n) : path) + "\" ";
    }
    if (line.empty() || line.size() >= kMaxHandedBytes) return;
    COPYDATASTRUCT data{kHandedFilesTag, (DWORD)line.size() + 1, const_cast<char*>(line.c_str())};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(running, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, 5000, &result);
}

int RunMessageLoop(HINSTANCE instance)
{
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDC_ZORVEX));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return (int)msg.wParam;
}

}  // namespace MainWindow
