// Scratch files for tests, addressed by Shift_JIS paths as the program addresses them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/TimeConv.h"

// A fresh scratch folder (ANSI path, with a trailing separator).
std::string ScratchDir();
// Writes bytes to an ANSI path; returns false on failure.
bool WriteScratchFile(const std::string& ansiPath, const std::vector<uint8_t>& bytes);
// Sets the file's last-write time from a local calendar time.
bool SetScratchFileTime(const std::string& ansiPath, const CalendarTime& local);
void RemoveScratchFile(const std::string& ansiPath);
// Forces a time zone for the C library of this process (e.g. "JST-9").
void UseTimeZone(const char* tz);
