// Helpers shared by the Wine-side transport tests: expected exceptions, the serial fixture's
// ports, running a Linux command from inside Wine, and the test service.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "tests/support/ExpectError.h"
#include "tests/support/WinePath.h"
#include "transport/TransportException.h"

// The Linux folder where the serial fixture keeps its pty links and socat pids.
inline std::string SerialFixtureDir()
{
    const char* dir = std::getenv("ZV_SERIAL_DIR");
    return dir ? dir : "";
}

// Skips the calling test when the serial fixture is not up (for example when the test
// executable is run by hand without ctest).
#define REQUIRE_SERIAL_FIXTURE()                                                          \
    do {                                                                                  \
        if (SerialFixtureDir().empty()) GTEST_SKIP() << "ZV_SERIAL_DIR not set (run ctest)"; \
    } while (0)

using testing_wine::WindowsPath;

// Starts `/bin/sh -c command` on the Linux side. Wine neither waits for a Linux process nor
// passes its exit status back, so callers wait for the command's effect (a file, a closed line).
inline bool StartLinux(const std::string& command)
{
    std::string line = "/bin/sh -c \"" + command + "\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

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
