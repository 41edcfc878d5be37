// What zvx needs from the system, as small seams that cli/posix and cli/win32 implement. Texts
// inside zvx are the program's own Shift_JIS; paths stay as the system spells them (the bytes a
// Linux command line gives, the ANSI code page on Windows).
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FolderFiles.h"  // saving under a new name, shared with the program
#include "core/FileAccess.h"
#include "transport/Transports.h"  // the ports and transports

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
// Columns of the terminal on stderr (80 when it does not say).
int TerminalColumns();
// True when the console takes UTF-8, where C1 controls (U+0080 to U+009F) have a form too.
bool ConsoleIsUtf8();
// A path as the console shows it, and as UTF-8 for JSON.
std::string PathToConsole(const std::string& path);
std::string PathToUtf8(const std::string& path);

// --- Files ------------------------------------------------------------------------------------

FileReadStatus ReadLocalFile(const std::string& path, uint32_t minSize, uint32_t maxSize,
                             FileContents* out);
bool IsDirectory(const std::string& path);
// A folder this process may create files in.
bool IsWritableDirectory(const std::string& path);
// Why a file could not be read, for the message that names it.
enum class PathState { Missing, Directory, Denied, Other };
PathState ExaminePath(const std::string& path);
// The names in a folder (neither "." nor ".."), in no particular order. False when it cannot be read.
bool ListDirectory(const std::string& dir, std::vector<std::string>* names);
// The path of `name` (as the system spells it) in `dir`.
std::string JoinPath(const std::string& dir, const std::string& name);
// Standard input and output as bytes: what `-` stands for.
void SetBinary(std::FILE* stream);
// Creates `path`; replaces a file of that name only with `replace`.
enum class WriteResult { Written, Exists, IsFolder, NoFolder, Denied, Failed };
WriteResult WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, bool replace);

// Runs `command` (a shell command line in the locale's encoding) with `path` as its one
// argument and waits for it: its exit status, or -1 when it could not be started.
int RunHook(const std::string& command, const std::string& path);

// --- Interrupts -------------------------------------------------------------------------------

// From now on Ctrl+C (and a request to end the program) calls `cancel` on a thread of its own
// instead of ending the program at once; a second one ends it. Call before any other thread
// starts.
void OnInterrupt(std::function<void()> cancel);
// The exit status of a command that a request to end it cancelled: 128 + the signal's number,
// as shells report it (130 for Ctrl+C).
int CancelStatus();

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
