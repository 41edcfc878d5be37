// UTF-8 to and from the program's Shift_JIS texts, through the code page seam: the JSON output is
// UTF-8 on every platform, and so are Linux file names and (usually) its console.
#pragma once
#include <string>

#include "core/CodePage.h"  // AnsiToUtf8

// False when a character has no Shift_JIS form or the bytes are not UTF-8.
bool Utf8ToAnsi(const std::string& utf8, std::string* text);
