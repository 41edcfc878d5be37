// The serial ports the user can choose from: every Ports- or Modem-class device in the Plug and
// Play tree whose port the system lists as a serial device now, with a readable description,
// in natural order (COM2 before COM10). Built once, when constructed; never changes afterwards.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class SerialPortList {
public:
    // What the walk needs to know about the system it runs on.
    struct System {
        DWORD platformId;    // VER_PLATFORM_WIN32_NT or VER_PLATFORM_WIN32_WINDOWS
        DWORD majorVersion;  // 6 and later: descriptions may be "@resource;Plain name"
        HKEY machine;        // the key that stands for HKEY_LOCAL_MACHINE
    };

    // The running system (GetVersionExA, HKEY_LOCAL_MACHINE).
    SerialPortList();
    explicit SerialPortList(const System& system);
    virtual ~SerialPortList();
    SerialPortList(const SerialPortList&) = delete;
    SerialPortList& operator=(const SerialPortList&) = delete;

    int32_t GetPortCount() const { return (int32_t)names_.size(); }
    // "COM3", or nullptr when index is not below the count.
    const char* GetPortName(int32_t index) const;
    // The device's description, "(unknown)" when it has none; nullptr past the end.
    const char* GetPortDescription(int32_t index) const;

private:
    void Build(const System& system);

    // Owned by value, so a walk that throws part-way leaves nothing behind.
    std::vector<std::string> names_;
    std::vector<std::string> descriptions_;
};
