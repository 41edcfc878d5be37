#include "transport/win32/ServiceManager.h"

#include <cstring>

ServiceManager::ServiceManager(const char* serviceName, const char* machineName)
{
    manager_ = OpenSCManagerA(machineName, "ServicesActive", SC_MANAGER_ALL_ACCESS);
    if (!manager_) throw ServiceManagerException(ServiceManagerException::kOpenManager);

    service_ = OpenServiceA(manager_, serviceName, SERVICE_ALL_ACCESS);
    if (!service_) {
        // Perhaps a display name, such as "Infrared Monitor".
        char keyName[200];
        DWORD size = sizeof keyName;
        if (GetServiceKeyNameA(manager_, serviceName, keyName, &size)) {
            keyName[sizeof keyName - 1] = '\0';
            service_ = OpenServiceA(manager_, keyName, SERVICE_ALL_ACCESS);
        }
    }
    if (!service_) {
        CloseServiceHandle(manager_);
        manager_ = nullptr;
        throw ServiceManagerException(ServiceManagerException::kOpenService);
    }
}

ServiceManager::~ServiceManager()
{
    CloseServiceHandle(service_);
    CloseServiceHandle(manager_);
}

DWORD ServiceManager::PollPause(DWORD interval, DWORD waitHint)
{
    if (interval != 0 && interval < waitHint) return interval;
    if (waitHint != 0) return waitHint;
    return 300;
}

void ServiceManager::Control(bool wait, DWORD control, DWORD wantedState)
{
    SERVICE_STATUS status;
    std::memset(&status, 0, sizeof status);
    // A refused request shows itself only in the state that follows.
    if (control == kControlStart) {
        StartServiceA(service_, 0, nullptr);
        QueryServiceStatus(service_, &status);
    } else {
        ControlService(service_, control, &status);
    }
    if (!wait) return;

    DWORD previousCheckpoint = status.dwCheckPoint;
    DWORD progressState = status.dwCurrentState;
    DWORD progressCheckpoint = status.dwCheckPoint;
    DWORD stalledSince = GetTickCount();
    for (;;) {
        Sleep(PollPause(waitInterval_, status.dwWaitHint));
        if (previousCheckpoint > status.dwCheckPoint) break;  // moved backwards: gave up
        previousCheckpoint = status.dwCheckPoint;
        if (!QueryServiceStatus(service_, &status)) break;
        if (status.dwCurrentState == wantedState) return;

        // A service that neither gets there nor moves (one that failed to start and stays
        // stopped, say) would be polled for ever.
        if (status.dwCurrentState != progressState || status.dwCheckPoint != progressCheckpoint) {
            progressState = status.dwCurrentState;
            progressCheckpoint = status.dwCheckPoint;
            stalledSince = GetTickCount();
        } else {
            DWORD limit = status.dwWaitHint > kNoProgressLimitMs ? status.dwWaitHint
                                                                 : kNoProgressLimitMs;
            if (GetTickCount() - stalledSince >= limit) break;
        }
    }
    if (status.dwCurrentState == wantedState) return;
    throw ServiceManagerException(ServiceManagerException::kWaitFailed);
}

void ServiceManager::Start(bool wait)
{
    Control(wait, kControlStart, SERVICE_RUNNING);
}

void ServiceManager::Stop(bool wait)
{
    Control(wait, SERVICE_CONTROL_STOP, SERVICE_STOPPED);
}

void ServiceManager::Pause(bool wait)
{
    Control(wait, SERVICE_CONTROL_PAUSE, SERVICE_PAUSED);
}

void ServiceManager::Continue(bool wait)
{
    Control(wait, SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING);
}

DWORD ServiceManager::GetState()
{
    SERVICE_STATUS status;
    std::memset(&status, 0, sizeof status);
    if (!QueryServiceStatus(service_, &status)) {
        throw ServiceManagerException(ServiceManagerException::kQueryStatus);
    }
    return status.dwCurrentState;
}

bool ServiceManager::IsRunning() { return GetState() == SERVICE_RUNNING; }
bool ServiceManager::IsStopped() { return GetState() == SERVICE_STOPPED; }
bool ServiceManager::IsPaused() { return GetState() == SERVICE_PAUSED; }
bool ServiceManager::IsContinuePending() { return GetState() == SERVICE_CONTINUE_PENDING; }
bool ServiceManager::IsPausePending() { return GetState() == SERVICE_PAUSE_PENDING; }
bool ServiceManager::IsStartPending() { return GetState() == SERVICE_START_PENDING; }
bool ServiceManager::IsStopPending() { return GetState() == SERVICE_STOP_PENDING; }

void ServiceManager::SetWaitInterval(DWORD milliseconds)
{
    waitInterval_ = milliseconds;
}
