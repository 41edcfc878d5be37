#include "core/CodePage.h"

#include <windows.h>

std::u16string AnsiToUtf16(const char* text, size_t length)
{
    if (length == 0) return std::u16string();
    int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, (int)length, nullptr, 0);
    if (n <= 0) return std::u16string();
    std::u16string out((size_t)n, u'\0');
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, (int)length,
                        reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::string Utf16ToAnsi(const char16_t* text, size_t length)
{
    if (length == 0) return std::string();
    const wchar_t* w = reinterpret_cast<const wchar_t*>(text);
    int n = WideCharToMultiByte(CP_ACP, 0, w, (int)length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, w, (int)length, &out[0], n, nullptr, nullptr);
    return out;
}

bool IsAnsiLeadByte(unsigned char c)
{
    return IsDBCSLeadByte(c) != FALSE;
}

bool IsShiftJisCharacter(const char* pair)
{
    wchar_t wide[2];
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) return false;
    char back[4];
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr,
                                      &lossy);
    return !lossy && n == 2 && back[0] == pair[0] && back[1] == pair[1];
}
