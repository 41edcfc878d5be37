#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/CodePage.h"

#ifdef _WIN32
#include <windows.h>

#include "app/win32/Win32Time.h"

ScratchDir::ScratchDir()
{
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%szvtest%lu_%d", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

ScratchDir::~ScratchDir()
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(File("*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(File(found.cFileName).c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string ScratchDir::File(const std::string& name) const { return path_ + "\\" + name; }

bool WriteScratchFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    CloseHandle(h);
    return ok && done == bytes.size();
}

bool SetScratchFileTime(const std::string& path, const CalendarTime& local)
{
    const SYSTEMTIME st = ToSystemTime(local);
    FILETIME wall, utc;
    if (!SystemTimeToFileTime(&st, &wall) || !LocalFileTimeToFileTime(&wall, &utc)) return false;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
    return ok != FALSE;
}


#else
#include <dirent.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

ScratchDir::ScratchDir()
{
    char tmpl[] = "/tmp/zvtestXXXXXX";
    const char* d = mkdtemp(tmpl);
    path_ = d ? d : "/tmp";
}

ScratchDir::~ScratchDir()
{
    if (DIR* dir = opendir(path_.c_str())) {
        while (const dirent* entry = readdir(dir)) unlink((path_ + "/" + entry->d_name).c_str());
        closedir(dir);
    }
    rmdir(path_.c_str());
}

std::string ScratchDir::File(const std::string& name) const { return path_ + "/" + name; }

bool WriteScratchFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(AnsiToUtf8(path).c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool SetScratchFileTime(const std::string& path, const CalendarTime& local)
{
    int32_t seconds = 0;
    if (!LocalCalendarToSeconds(local, &seconds)) return false;
    struct timeval tv[2] = {};
    tv[0].tv_sec = tv[1].tv_sec = seconds;
    return utimes(AnsiToUtf8(path).c_str(), tv) == 0;
}


#endif

void ScratchDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    WriteScratchFile(File(name), bytes);
}
