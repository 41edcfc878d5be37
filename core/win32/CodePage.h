// Windows conversions beside the ANSI ones: between any code pages.
#pragma once
#include <windows.h>

#include <string>

#include "core/CodePage.h"

// `text` from code page `from` to `to` (CP_ACP, CP_UTF8, 932, the console's), through UTF-16.
// Bytes that form no character are converted as far as they can be, a character `to` lacks
// becomes its default character; either clears *ok.
std::string Recode(UINT to, UINT from, const std::string& text, bool* ok = nullptr);
