// File reading for the portable code. Paths are ANSI (Shift_JIS) texts as the program holds them;
// the Linux stand-in converts them to the file system's UTF-8.
#pragma once
#include <cstdint>
#include <vector>

#include "core/TimeConv.h"

enum class FileReadStatus { Ok, OpenFailed, TooLarge, ReadFailed };

struct FileContents {
    std::vector<uint8_t> bytes;
    uint64_t size = 0;             // the file's size, also when it was too large to read
    CalendarTime lastWriteLocal;   // last-write time as local calendar time
};

// Opens with shared read. Reads nothing when the size is above maxSize (TooLarge) or below minSize
// (the size is still reported).
FileReadStatus ReadWholeFile(const char* path, uint32_t minSize, uint32_t maxSize, FileContents* out);
