// Small text helpers shared by the OBEX engine, the transports and the formats.
#pragma once
#include <string>

// Removes spaces and tabs from the end of `text` in place and returns the text after its
// leading spaces and tabs.
char* TrimText(char* text);
// A new copy of a text (nullptr stays nullptr).
std::string DuplicateText(const char* text);
// UTF-16 / ANSI copies of NUL-terminated texts.
std::u16string TextToUtf16(const char* text);
std::string TextToAnsi(const char16_t* text);
