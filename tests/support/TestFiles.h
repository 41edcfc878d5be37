// Files and the time zone for tests: whole files read, and scratch files addressed by Shift_JIS
// paths as the program addresses them.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/TimeConv.h"

// A fresh scratch folder (ANSI path, no trailing separator), removed with the files in it when
// this goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const;
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    std::string path_;
};

// Writes bytes to an ANSI path; returns false on failure.
bool WriteScratchFile(const std::string& ansiPath, const std::vector<uint8_t>& bytes);
// Sets the file's last-write time from a local calendar time, as the system's own conversion
// takes it (Wine's zone may differ from the C library's TZ).
bool SetScratchFileTime(const std::string& ansiPath, const CalendarTime& local);

// Sets the C library's time zone for the life of the object (TZ is read by both C libraries).
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz)
    {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (old) old_ = old;
        Apply(tz);
    }
    ~ScopedTimeZone() { Apply(hadOld_ ? old_.c_str() : nullptr); }

private:
    static void Apply(const char* tz)
    {
#ifdef _WIN32
        std::string setting = std::string("TZ=") + (tz ? tz : "");
        _putenv(setting.c_str());
        _tzset();
#else
        if (tz) setenv("TZ", tz, 1);
        else unsetenv("TZ");
        tzset();
#endif
    }
    bool hadOld_ = false;
    std::string old_;
};

// The whole file (empty when it cannot be read).
inline std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
// A file of tests/data, "pictures/dot.jpg" for one.
inline std::vector<uint8_t> ReadTestData(const std::string& name)
{
    return ReadFileBytes(std::string(ZV_TEST_DATA) + "/" + name);
}
inline std::string ReadFileText(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
