// zvx's seams on Linux: the locale's encoding (UTF-8 nearly always, iconv otherwise), files by
// their byte paths and signals taken by a thread of their own.
#include "cli/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <langinfo.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/Text.h"
#include "core/posix/CodePage.h"
#include "core/posix/NativeFile.h"

namespace {
std::string g_codeset;  // the locale's, when it is neither UTF-8 nor plain ASCII
std::atomic<int> g_signal{SIGINT};
}  // namespace

void InitConsole()
{
    std::setlocale(LC_CTYPE, "");
    const std::string codeset = nl_langinfo(CODESET);
    // The plain C locale says ASCII; the terminals it runs in nowadays take UTF-8.
    if (codeset != "UTF-8" && codeset != "ANSI_X3.4-1968") g_codeset = codeset;
}

std::string ToConsole(const std::string& text)
{
    return g_codeset.empty() ? AnsiToUtf8(text) : Recode(g_codeset.c_str(), "CP932", text);
}

bool FromArgument(const std::string& argument, std::string* text)
{
    if (g_codeset.empty()) return Utf8ToAnsi(argument, text);
    bool ok = true;
    *text = Recode("CP932", g_codeset.c_str(), argument, &ok);
    return ok;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

int TerminalColumns()
{
    winsize size{};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

bool ConsoleIsUtf8() { return g_codeset.empty(); }
std::string PathToConsole(const std::string& path) { return path; }
std::string PathToUtf8(const std::string& path) { return path; }

FileReadStatus ReadLocalFile(const std::string& path, uint32_t minSize, uint32_t maxSize,
                             FileContents* out)
{
    return ReadWholeNativeFile(path.c_str(), minSize, maxSize, out);
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsWritableDirectory(const std::string& path)
{
    // Tried, not asked: permissions say nothing of a read-only mount, and root passes them all.
    if (!IsDirectory(path)) return false;
    std::string probe = PathInDirectory(path, ".zvx-XXXXXX");
    const int fd = mkostemp(&probe[0], O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

PathState ExaminePath(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno == EACCES) return PathState::Denied;
        return errno == ENOENT || errno == ENOTDIR ? PathState::Missing : PathState::Other;
    }
    if (S_ISDIR(info.st_mode)) return PathState::Directory;
    return access(path.c_str(), R_OK) != 0 && errno == EACCES ? PathState::Denied : PathState::Other;
}

bool ListDirectory(const std::string& dir, std::vector<std::string>* names)
{
    DIR* folder = opendir(dir.c_str());
    if (!folder) return false;
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names->push_back(name);
    }
    closedir(folder);
    return true;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    return dir + (!dir.empty() && dir.back() == '/' ? "" : "/") + name;
}

void SetBinary(std::FILE*) {}


WriteResult WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, bool replace)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (replace ? O_TRUNC : O_EXCL), 0666);
    if (fd < 0) {
        switch (errno) {
        case EEXIST: return IsDirectory(path) ? WriteResult::IsFolder : WriteResult::Exists;
        case EISDIR: return WriteResult::IsFolder;
        case ENOENT: case ENOTDIR: return WriteResult::NoFolder;
        case EACCES: case EPERM: case EROFS: return WriteResult::Denied;
        default: return WriteResult::Failed;
        }
    }
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += (size_t)n;
        else ok = n < 0 && errno == EINTR;
    }
    if (close(fd) != 0) ok = false;
    return ok ? WriteResult::Written : WriteResult::Failed;
}

extern char** environ;

int CancelStatus() { return 128 + g_signal; }

void OnInterrupt(std::function<void()> cancel)
{
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, s);
    // Blocked here, the signals reach only the thread below, which may call into the transfer;
    // a signal handler could not.
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, cancel] {
        for (int count = 0;; ++count) {
            int received = 0;
            if (sigwait(&signals, &received) != 0) continue;
            // A second request does not wait for the transfer to unwind.
            if (count > 0) _exit(128 + received);
            g_signal = received;
            cancel();
        }
    }).detach();
}

int RunHook(const std::string& command, const std::string& path)
{
    // The path goes in as "$1", never into the command line: a phone chooses names.
    const std::string script = command + " \"$1\"";
    const char* argv[] = {"sh", "-c", script.c_str(), "zvx", path.c_str(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Linux has no service to give back: a second signal ends zvx at once.
RunningTransfer::RunningTransfer() = default;
RunningTransfer::~RunningTransfer() = default;

