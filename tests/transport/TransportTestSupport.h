// Helpers shared by the Wine-side transport tests: expected exceptions, the serial fixture's
// ports, running a Linux command from inside Wine, and the test service.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/ExpectError.h"
#include "tests/support/win32/SerialPeer.h"
#include "transport/TransportException.h"

inline long long ElapsedMs(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now() - since)
        .count();
}

// --- The test service (helpers/TestService.cpp) -------------------------------------------------

inline std::string TestServicePath()
{
#ifdef ZV_TEST_SERVICE_EXE
    return WindowsPath(ZV_TEST_SERVICE_EXE);
#endif
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "zv_test_service.exe";
}

// Stops (briefly) and deletes a service left by an earlier, interrupted run.
inline void RemoveService(SC_HANDLE manager, const char* name)
{
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
    if (!service) return;
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 50 && QueryServiceStatus(service, &status) &&
                    status.dwCurrentState != SERVICE_STOPPED;
         ++i) {
        Sleep(100);
    }
    DeleteService(service);
    CloseServiceHandle(service);
}

// One registered test service for the life of the object.
class TestService {
public:
    TestService(const char* mode, const char* displayName)
        : name_(std::string("ZorvexTest") + mode)
    {
        manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        EXPECT_NE(manager_, nullptr);
        RemoveService(manager_, name_.c_str());
        std::string command = "\"" + TestServicePath() + "\" " + mode;
        service_ = CreateServiceA(manager_, name_.c_str(), displayName, SERVICE_ALL_ACCESS,
                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                  SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
        EXPECT_NE(service_, nullptr) << "CreateServiceA error " << GetLastError();
    }
    ~TestService()
    {
        if (service_) CloseServiceHandle(service_);
        RemoveService(manager_, name_.c_str());
        CloseServiceHandle(manager_);
    }
    const char* Name() const { return name_.c_str(); }
    DWORD State()
    {
        SERVICE_STATUS status{};
        QueryServiceStatus(service_, &status);
        return status.dwCurrentState;
    }
    bool WaitFor(DWORD state, DWORD limitMs = 5000)
    {
        for (DWORD waited = 0; waited < limitMs; waited += 50) {
            if (State() == state) return true;
            Sleep(50);
        }
        return State() == state;
    }

private:
    std::string name_;
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};
