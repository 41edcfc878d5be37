// A tiny Windows service for the service-control tests. Its behaviour is chosen by its first
// argument (given in the service's command line):
//   normal     starts and stops at once, can be paused and continued
//   slow       takes about a second to start and to stop, with a wait hint of 2000 ms
//   backwards  moves its stop checkpoint backwards and stays stop-pending for a while
//   stuck      stays stop-pending with checkpoint 0 for 5 s, then stops
//   fails      ends at once when started, never reaching the running state
#include <windows.h>

#include <cstring>

namespace {

SERVICE_STATUS_HANDLE g_handle;
SERVICE_STATUS g_status;
HANDLE g_stopEvent;
const char* g_mode = "normal";

void Report(DWORD state, DWORD checkpoint = 0, DWORD waitHint = 0)
{
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        state == SERVICE_START_PENDING ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
    g_status.dwWin32ExitCode = NO_ERROR;
    g_status.dwCheckPoint = checkpoint;
    g_status.dwWaitHint = waitHint;
    SetServiceStatus(g_handle, &g_status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (_stricmp(g_mode, "backwards") == 0) {
            Report(SERVICE_STOP_PENDING, 5, 200);
        } else if (_stricmp(g_mode, "stuck") == 0) {
            Report(SERVICE_STOP_PENDING, 0, 0);
        } else {
            Report(SERVICE_STOP_PENDING, 1, _stricmp(g_mode, "slow") == 0 ? 2000 : 0);
        }
        SetEvent(g_stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        Report(SERVICE_PAUSED);
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        Report(SERVICE_RUNNING);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        SetServiceStatus(g_handle, &g_status);
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**)
{
    g_handle = RegisterServiceCtrlHandlerExA("", Handler, nullptr);
    if (!g_handle) return;
    if (_stricmp(g_mode, "fails") == 0) {
        g_status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        g_status.dwCurrentState = SERVICE_STOPPED;
        SetServiceStatus(g_handle, &g_status);
        return;
    }
    g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (_stricmp(g_mode, "slow") == 0) {
        for (DWORD i = 1; i <= 4; ++i) {
            Report(SERVICE_START_PENDING, i, 2000);
            Sleep(250);
        }
    }
    Report(SERVICE_RUNNING);
    WaitForSingleObject(g_stopEvent, INFINITE);

    if (_stricmp(g_mode, "slow") == 0) {
        for (DWORD i = 2; i <= 4; ++i) {
            Sleep(250);
            Report(SERVICE_STOP_PENDING, i, 2000);
        }
    } else if (_stricmp(g_mode, "backwards") == 0) {
        Sleep(300);
        Report(SERVICE_STOP_PENDING, 2, 200);
        Sleep(3000);
    } else if (_stricmp(g_mode, "stuck") == 0) {
        Sleep(5000);
    }
    Report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) g_mode = argv[1];
    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
