// Helpers shared by the Wine-side transport tests: expected exceptions, the serial fixture's
// ports, and running a Linux command from inside Wine.
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
