// Conversion between the active ANSI code page (Shift_JIS, code page 932) and UTF-16.
// Windows uses the system's code-page functions; elsewhere iconv's CP932 stands in.
#pragma once
#include <cstddef>
#include <string>

// UTF-16 copy of `length` bytes of ANSI text (precomposed characters). Bytes that form no
// character are replaced, never dropped silently into a shorter text of the wrong meaning.
std::u16string AnsiToUtf16(const char* text, size_t length);
std::u16string AnsiToUtf16(const std::string& text);

// ANSI copy of `length` UTF-16 units; characters the code page lacks become '?'.
std::string Utf16ToAnsi(const char16_t* text, size_t length);
std::string Utf16ToAnsi(const std::u16string& text);

// UTF-8 copy of ANSI text: Linux file names, the command line's JSON output.
std::string AnsiToUtf8(const std::string& text);

// True when `c` is a lead byte of a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char c);

// Shift_JIS (code page 932) whatever code page the system uses: the program's own texts and
// the names phones send are Shift_JIS even where zvx runs under another one.
bool IsShiftJisLeadByte(unsigned char c);
// The two bytes at `pair` are one code page 932 character that converts back to the same bytes.
bool IsShiftJisCharacter(const char* pair);
