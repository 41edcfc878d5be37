#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "core/CodePage.h"

#ifdef _WIN32
#include <windows.h>

std::string ScratchDir()
{
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    char dir[MAX_PATH];
    std::snprintf(dir, sizeof dir, "%szvtest%lu_%lu\\", tmp, GetCurrentProcessId(), GetTickCount());
    CreateDirectoryA(dir, nullptr);
    return dir;
}

bool WriteScratchFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    BOOL ok = bytes.empty() || WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    CloseHandle(h);
    return ok && done == bytes.size();
}

bool SetScratchFileTime(const std::string& path, const CalendarTime& t)
{
    SYSTEMTIME st = {};
    st.wYear = (WORD)t.year;
    st.wMonth = (WORD)t.month;
    st.wDay = (WORD)t.day;
    st.wHour = (WORD)t.hour;
    st.wMinute = (WORD)t.minute;
    st.wSecond = (WORD)t.second;
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BOOL ok = SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
    return ok != FALSE;
}

void RemoveScratchFile(const std::string& path) { DeleteFileA(path.c_str()); }

void UseTimeZone(const char* tz)
{
    std::string s = std::string("TZ=") + tz;
    _putenv(s.c_str());
    _tzset();
}

#else
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

std::string ScratchDir()
{
    char tmpl[] = "/tmp/zvtestXXXXXX";
    const char* d = mkdtemp(tmpl);
    return std::string(d ? d : "/tmp") + "/";
}

bool WriteScratchFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(AnsiToUtf8(path).c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool SetScratchFileTime(const std::string& path, const CalendarTime& t)
{
    std::tm tm = {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    struct timeval tv[2] = {};
    tv[0].tv_sec = tv[1].tv_sec = mktime(&tm);
    return utimes(AnsiToUtf8(path).c_str(), tv) == 0;
}

void RemoveScratchFile(const std::string& path) { unlink(AnsiToUtf8(path).c_str()); }

void UseTimeZone(const char* tz)
{
    setenv("TZ", tz, 1);
    tzset();
}
#endif
