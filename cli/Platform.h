// What zvx needs from the system, as small seams that cli/posix and cli/win32 implement. Texts
// inside zvx are the program's own Shift_JIS; paths stay as the system spells them (the bytes a
// Linux command line gives, the ANSI code page on Windows).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/SerialSettingsRules.h"
#include "app/TransferSeams.h"
#include "core/FileAccess.h"

// --- Console ----------------------------------------------------------------------------------

// Call first: takes the locale (Linux) or the console's code page (Windows).
void InitConsole();
// A program text as the console shows it: the locale's encoding on Linux, the console's code
// page on Windows.
std::string ToConsole(const std::string& text);
// A text argument, given in the locale's encoding, as a program text. False when a character
// has no Shift_JIS form.
bool FromArgument(const std::string& argument, std::string* text);
bool StderrIsTerminal();
// A path as the console shows it, and as UTF-8 for JSON.
std::string PathToConsole(const std::string& path);
std::string PathToUtf8(const std::string& path);

// --- Files ------------------------------------------------------------------------------------

FileReadStatus ReadLocalFile(const std::string& path, uint32_t minSize, uint32_t maxSize,
                             FileContents* out);
bool IsDirectory(const std::string& path);
// A folder this process may create files in.
bool IsWritableDirectory(const std::string& path);
// A file name (a program text) within the file system's limit once converted to its encoding.
bool NameFits(const std::string& name);
// The path of a file called `name` (a program text) in `dir`.
std::string PathInDirectory(const std::string& dir, const std::string& name);
// Writes `bytes` to a new file of a name of its own in `dir`, last written at `time` (0: now). Empty on failure.
std::string WriteTemporary(const std::string& dir, const std::vector<uint8_t>& bytes, int32_t time);
enum class PlaceResult { Placed, Exists, Failed };
// Gives the temporary file the name `path` unless a file of that name exists.
PlaceResult PlaceFile(const std::string& temporary, const std::string& path);
void RemoveFile(const std::string& path);
// Creates or replaces `path`.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// --- Interrupts -------------------------------------------------------------------------------

// From now on Ctrl+C (and a request to end the program) calls `cancel` on a thread of its own
// instead of ending the program at once; a second one ends it. Call before any other thread
// starts.
void OnInterrupt(std::function<void()> cancel);

// A transfer runs for the life of the scope, the Infrared Monitor bracket included. A request
// that ends zvx whatever it does (a closed console, logoff, shutdown, a second Ctrl+C on
// Windows) first waits, within the time the system allows, until the scope has ended.
class RunningTransfer {
public:
    RunningTransfer();
    ~RunningTransfer();
    RunningTransfer(const RunningTransfer&) = delete;
    RunningTransfer& operator=(const RunningTransfer&) = delete;
};

// --- Ports and transports ---------------------------------------------------------------------

// The serial ports and their descriptions, in natural order.
std::vector<PortEntry> ListSerialPorts();
// A port as given (Linux: a device path, or a name under /dev; Windows: COM3 or a port name).
std::unique_ptr<TransportFactory> SerialTransports(const std::string& port, uint32_t speed);
// IrDA and the service that would answer the phone instead of us: Windows only, nullptr
// elsewhere.
bool HasInfrared();
std::unique_ptr<TransportFactory> InfraredTransports();
std::unique_ptr<InfraredMonitor> InfraredMonitorService();
