// ReadWholeFile for a path as the file system spells it (bytes, normally UTF-8) rather than as
// the program's ANSI text: for paths given on a command line, which may hold characters that
// code page 932 lacks.
#pragma once
#include "core/FileAccess.h"

FileReadStatus ReadWholeNativeFile(const char* path, uint32_t minSize, uint32_t maxSize,
                                   FileContents* out);
