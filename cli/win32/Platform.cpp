// zvx's seams on Windows: the console's code page, ANSI paths and the console control handler.
#include "cli/Platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

#include "cli/Media.h"
#include "core/win32/CodePage.h"

namespace {

constexpr UINT kProgramCodePage = 932;  // the program's texts

UINT ConsoleCodePage()
{
    const UINT codePage = GetConsoleOutputCP();
    return codePage ? codePage : GetACP();  // no console: the system's code page
}

std::function<void()>& Interrupted()
{
    static std::function<void()> cancel;
    return cancel;
}

// Set while no transfer runs (manual reset).
HANDLE Idle()
{
    static const HANDLE idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    return idle;
}

// What the system allows a handler of a closing console, logoff or shutdown before it ends the
// process anyway, less a margin.
constexpr DWORD kUnwindMs = 4500;

BOOL WINAPI OnControl(DWORD event)
{
    static std::atomic<int> count{0};
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    const bool first = count++ == 0;
    if (first && Interrupted()) Interrupted()();
    // The process ends when this handler returns (a closed console, logoff, shutdown, a second
    // Ctrl+C): a transfer first gives the port back and starts the Infrared Monitor again.
    if (!interrupt || !first) {
        if (Idle()) WaitForSingleObject(Idle(), kUnwindMs);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void InitConsole() {}

std::string ToConsole(const std::string& text)
{
    return Recode(ConsoleCodePage(), kProgramCodePage, text);
}

bool FromArgument(const std::string& argument, std::string* text)
{
    bool ok = true;
    *text = Recode(kProgramCodePage, CP_ACP, argument, &ok);
    return ok;
}

bool StderrIsTerminal()
{
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

int TerminalColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 80;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

bool ConsoleIsUtf8() { return ConsoleCodePage() == CP_UTF8; }

std::string PathToConsole(const std::string& path)
{
    return Recode(ConsoleCodePage(), CP_ACP, path);
}

std::string PathToUtf8(const std::string& path) { return Recode(CP_UTF8, CP_ACP, path); }

FileReadStatus ReadLocalFile(const std::string& path, uint32_t minSize, uint32_t maxSize,
                             FileContents* out)
{
    return ReadWholeFile(path.c_str(), minSize, maxSize, out);  // ANSI paths, as given
}

bool IsDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsWritableDirectory(const std::string& path)
{
    if (!IsDirectory(path)) return false;
    char probe[MAX_PATH];
    if (!GetTempFileNameA(path.c_str(), "zvx", 0, probe)) return false;
    DeleteFileA(probe);
    return true;
}

PathState ExaminePath(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) return PathState::Denied;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathState::Missing
                                                                              : PathState::Other;
    }
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? PathState::Directory : PathState::Other;
}

bool ListDirectory(const std::string& dir, std::vector<std::string>* names)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(JoinPath(dir, "*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names->push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return true;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    const bool separated = !dir.empty() && (dir.back() == '\\' || dir.back() == '/');
    return dir + (separated ? "" : "\\") + name;
}

void SetBinary(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }


WriteResult WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, bool replace)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                              replace ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (IsDirectory(path)) return WriteResult::IsFolder;
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return WriteResult::Exists;
        if (error == ERROR_PATH_NOT_FOUND) return WriteResult::NoFolder;
        return error == ERROR_ACCESS_DENIED ? WriteResult::Denied : WriteResult::Failed;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
                    written == bytes.size();
    return CloseHandle(file) && ok ? WriteResult::Written : WriteResult::Failed;
}

int CancelStatus() { return kExitCancelled; }

int RunHook(const std::string& command, const std::string& path)
{
    // Through the command interpreter, as a line typed at the prompt; the path quoted.
    std::string line = "cmd.exe /d /s /c \"" + command + " \"" + path + "\"\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}

void OnInterrupt(std::function<void()> cancel)
{
    Interrupted() = std::move(cancel);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

RunningTransfer::RunningTransfer()
{
    if (Idle()) ResetEvent(Idle());
}

RunningTransfer::~RunningTransfer()
{
    if (Idle()) SetEvent(Idle());
}
