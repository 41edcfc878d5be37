// The serial fixture (tests/transport/scripts/serial-fixture.sh) seen from Wine: its folder, Linux
// commands, and line_peer (tests/support/posix/line_peer.cpp) on the Linux end of a fixture line.
// Wine neither waits for a Linux process nor passes its exit status back, so callers wait for a
// command's effect: a file, a closed line.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Hex.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WinePath.h"

using testing_wine::WindowsPath;

// The Linux folder where the serial fixture keeps its pty links and socat pids.
inline std::string SerialFixtureDir()
{
    const char* dir = std::getenv("ZV_SERIAL_DIR");
    return dir ? dir : "";
}

// Skips the calling test when the serial fixture is not up (for example when the test
// executable is run by hand without ctest).
#define REQUIRE_SERIAL_FIXTURE()                                                              \
    do {                                                                                      \
        if (SerialFixtureDir().empty()) GTEST_SKIP() << "ZV_SERIAL_DIR not set (run ctest)"; \
    } while (0)

// Starts `/bin/sh -c command` on the Linux side.
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

inline bool WaitForFile(const std::string& windowsPath, DWORD limitMs)
{
    for (DWORD waited = 0; GetFileAttributesA(windowsPath.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 20) {
        if (waited >= limitMs) return false;
        Sleep(20);
    }
    return true;
}

// COM8's pty pair taken away under whoever has the port open.
inline bool PullGonePair() { return StartLinux("kill $(cat '" + SerialFixtureDir() + "/gone.pid')"); }

// COM8's pty pair made anew (new ptys, the same links), so that a test can pull it away whatever
// ran before and leave it whole for later tests.
inline bool RestartGonePair()
{
    const std::string dir = SerialFixtureDir();
    DeleteFileA(WindowsPath(dir + "/gone.restarted").c_str());
    return StartLinux("bash '" ZV_SERIAL_FIXTURE "' restart '" + dir + "' </dev/null >/dev/null 2>&1") &&
           WaitForFile(WindowsPath(dir + "/gone.restarted"), 10000);
}

// A Shift_JIS text as the OBEX Name header carries it (UTF-16BE, no terminator), in hex, as the
// peer takes and reports names.
inline std::string NameHex(const std::string& text)
{
    wchar_t wide[256];
    const int n = MultiByteToWideChar(932, 0, text.c_str(), (int)text.size(), wide, 256);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < n; ++i) bytes.insert(bytes.end(), {(uint8_t)(wide[i] >> 8), (uint8_t)wide[i]});
    return Hex(bytes);
}

// line_peer on the Linux end `end` of a fixture line ("b1" behind COM7, "c1" behind COM8), with a
// fresh folder for its files. A peer still running when this goes is stopped and waited for.
class LinePeer {
public:
    explicit LinePeer(const char* end = "b1") : line_(SerialFixtureDir() + "/" + end)
    {
        static int count = 0;
        // A new folder each time; the fixture clears old ones when it starts.
        out_ = SerialFixtureDir() + "/peer-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount()) + "-" + std::to_string(++count);
        EXPECT_TRUE(CreateDirectoryA(WindowsPath(out_).c_str(), nullptr));
    }
    ~LinePeer()
    {
        if (!started_) return;
        Stop();
        WaitForFile(File("result.txt"), 20000);
    }
    // Starts line_peer in `mode`, `arguments` after its line and folder; true once the line is open.
    bool Start(const std::string& mode, const std::string& arguments = "")
    {
        const std::string program = SerialFixtureDir().substr(0, SerialFixtureDir().find_last_of('/')) + "/line_peer";
        started_ = StartLinux("'" + program + "' " + mode + " '" + line_ + "' '" + out_ + "' " + arguments +
                              " </dev/null >'" + out_ + "/log' 2>&1") &&
                   WaitForFile(File("ready"), 10000);
        return started_;
    }
    // libopenobex's client pushes `body` under `name` (Shift_JIS).
    bool Push(const std::vector<uint8_t>& body, const std::string& name, const std::string& type,
              const std::string& time, bool length = true)
    {
        std::ofstream(File("push.bin"), std::ios::binary).write((const char*)body.data(), (std::streamsize)body.size());
        return Start("client", "'" + out_ + "/push.bin' " + NameHex(name) + " '" + type + "' '" + time + "'" +
                                   (length ? "" : " nolength"));
    }
    // Raw packets, one a line in hex; a line starting with "=" is not answered, one with "?"
    // only until Stop().
    bool Send(const std::vector<std::string>& lines)
    {
        std::ofstream packets(File("packets.txt"), std::ios::binary);
        for (const std::string& l : lines) packets << l << "\n";
        packets.close();
        return Start("raw", "'" + out_ + "/packets.txt'");
    }
    void Stop() const { std::ofstream(File("stop")).put('\n'); }
    // result.txt as key=value pairs, once the peer has written it.
    std::map<std::string, std::string> Result(DWORD limitMs = 45000) const
    {
        std::map<std::string, std::string> values;
        EXPECT_TRUE(WaitForFile(File("result.txt"), limitMs)) << "the peer did not finish";
        std::istringstream lines(ReadFileText(File("result.txt")));
        for (std::string line; std::getline(lines, line);) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return values;
    }
    std::vector<uint8_t> Body() const { return ReadFileBytes(File("body.bin")); }
    std::string File(const char* name) const { return WindowsPath(out_ + "/" + name); }

private:
    std::string line_, out_;
    bool started_ = false;
};
