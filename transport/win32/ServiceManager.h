// Finds a Windows service through the service control manager, reports its state, and starts,
// stops, pauses or continues it, optionally waiting until it has got there. Used around every
// infrared transfer to keep the system's "Infrared Monitor" from answering the phone.
#pragma once
#include <windows.h>

#include <cstdint>

#include "core/Error.h"

// Thrown by value. The message is always null here; the code says what failed.
class ServiceManagerException : public ZvError {
public:
    enum Code : int32_t {
        kWaitFailed = 0,      // a waiting operation ended without reaching the wanted state
        kOpenManager = 1,     // the service control manager could not be opened
        kOpenService = 2,     // no service by that name or display name
        kQueryStatus = 3,     // the service's status could not be read
    };
    explicit ServiceManagerException(int32_t code, const char* message = nullptr)
        : ZvError(code, message), hasMessage_(message != nullptr) {}

    const char* GetMessageText() const { return hasMessage_ ? ZvError::GetMessageText() : nullptr; }

private:
    bool hasMessage_;
};

class ServiceManager {
public:
    // This class's own control code for "start".
    static constexpr DWORD kControlStart = 128;
    // A wait in which neither the state nor the checkpoint moves for this long (or for the
    // service's wait hint, when longer) has failed.
    static constexpr DWORD kNoProgressLimitMs = 3000;

    // `serviceName` is a service's key name or display name; `machineName` null for this
    // machine. Throws codes 1 and 2.
    ServiceManager(const char* serviceName, const char* machineName);
    ServiceManager(const ServiceManager&) = delete;
    ServiceManager& operator=(const ServiceManager&) = delete;

    // Sends `control` (or starts the service, for kControlStart); with `wait`, polls until the
    // service is in `wantedState` and throws code 0 when it does not get there.
    virtual void Control(bool wait, DWORD control, DWORD wantedState);
    virtual ~ServiceManager();
    virtual void Start(bool wait);
    virtual void Stop(bool wait);
    virtual void Pause(bool wait);
    virtual void Continue(bool wait);
    // The current state (SERVICE_RUNNING, ...); throws code 3.
    virtual DWORD GetState();
    virtual bool IsRunning();
    virtual bool IsStopped();
    virtual bool IsPaused();
    virtual bool IsContinuePending();
    virtual bool IsPausePending();
    virtual bool IsStartPending();
    virtual bool IsStopPending();
    // Longest pause between two polls while waiting; 0 follows the service's wait hint.
    virtual void SetWaitInterval(DWORD milliseconds);

    // The pause before the next poll: the interval when set and shorter than the service's
    // hint, else the hint, else 300 ms.
    static DWORD PollPause(DWORD interval, DWORD waitHint);

private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
    DWORD waitInterval_ = 0;
};
