// Linux conversions beside the ANSI ones: between any encodings iconv knows.
#pragma once
#include <string>

#include "core/CodePage.h"

// `text` from `from` to `to` (iconv's names: "CP932", "UTF-8", the locale's codeset). A
// character `to` lacks becomes '?', as do bytes that form none in `from`; either clears *ok.
// An encoding iconv does not know leaves the text as it was and clears *ok.
std::string Recode(const char* to, const char* from, const std::string& text, bool* ok = nullptr);
