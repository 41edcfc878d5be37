// Process entry: one running copy, the main window and its message loop.
#include <windows.h>
#include <objbase.h>

#include "app/win32/MainWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    CoInitialize(nullptr);
    MainWindow::Register(instance);
    // Never closed: the mutex marks the running copy until the process ends.
    SetLastError(0);
    CreateMutexA(nullptr, FALSE, "ZORVEX_FOR_WINDOWS");
    if (GetLastError() != 0) {
        if (HWND other = FindWindowA(MainWindow::WindowClass(), MainWindow::Title())) {
            SetForegroundWindow(other);
            MainWindow::HandOver(other, commandLine);
        }
        return 0;
    }
    HWND main = MainWindow::Create(instance, show);
    if (!main) return 0;
    MainWindow::OpenCommandLine(main, commandLine);
    const int code = MainWindow::RunMessageLoop(instance);
    // The view released everything it held in WM_DESTROY, before this.
    CoUninitialize();
    return code;
}
