// The program's real main window, hosted with a worker thread that hands pictures to the view
// on request, so that GUI tests can race handovers against the user's own commands.
// Command line: <picture path> <count>. Each time event ViewHostEventName("go", pid) is set the
// worker loads, decodes and delivers the picture <count> times, then sets ("done", pid).
// Exit code: 0, or 2 when a decode on the worker failed, 3 when no worker could be started.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "app/ViewContent.h"
#include "app/win32/MainWindow.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Worker.h"
#include "tests/app/gui/ViewHostEvents.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    const std::string line = commandLine;
    const size_t space = line.rfind(' ');
    const std::string path = line.substr(0, space);
    const int count = space == std::string::npos ? 1 : std::atoi(line.c_str() + space + 1);

    CoInitialize(nullptr);
    MainWindow::Register(instance);
    const DWORD pid = GetCurrentProcessId();
    HANDLE go = CreateEventA(nullptr, FALSE, FALSE, ViewHostEventName("go", pid).c_str());
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, ViewHostEventName("done", pid).c_str());
    HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND hwnd = MainWindow::Create(instance, show);
    if (!hwnd) return 1;

    std::atomic<int> failures{0};
    WorkerThread worker;
    const bool started = worker.Start([&] {
        const HANDLE events[] = {quit, go};
        while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            for (int i = 0; i < count; ++i) {
                std::string error;
                std::unique_ptr<MediaObject> object = LoadMediaFile(path.c_str(), &error);
                std::unique_ptr<ViewContent> content = object ? DecodeContent(object) : nullptr;
                if (!content) {
                    ++failures;
                    continue;
                }
                View::Deliver(hwnd, std::move(content));  // refused once the window is gone
            }
            SetEvent(done);
        }
    });
    int code = MainWindow::RunMessageLoop(instance);
    SetEvent(quit);
    worker.Join();
    CoUninitialize();
    if (code == 0 && !started) code = 3;
    if (code == 0 && failures) code = 2;
    return code;
}
