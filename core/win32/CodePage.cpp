#include "core/win32/CodePage.h"

namespace {

std::u16string Widen(UINT codePage, const char* text, size_t length, bool* ok)
{
    if (length == 0) return std::u16string();
    DWORD flags = MB_ERR_INVALID_CHARS;
    int n = MultiByteToWideChar(codePage, flags, text, (int)length, nullptr, 0);
    if (n == 0) {  // bytes that form no character: convert what can be, and say so
        if (ok) *ok = false;
        flags = 0;
        n = MultiByteToWideChar(codePage, flags, text, (int)length, nullptr, 0);
    }
    if (n <= 0) return std::u16string();
    std::u16string wide((size_t)n, u'\0');
    MultiByteToWideChar(codePage, flags, text, (int)length, reinterpret_cast<wchar_t*>(&wide[0]), n);
    return wide;
}

std::string Narrow(UINT codePage, const char16_t* text, size_t length, bool* ok)
{
    if (length == 0) return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    BOOL lossy = FALSE;
    BOOL* lossyOut = codePage == CP_UTF8 ? nullptr : &lossy;  // UTF-8 takes no default character
    const int n = WideCharToMultiByte(codePage, 0, wide, (int)length, nullptr, 0, nullptr, lossyOut);
    if (n <= 0) return std::string();
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(codePage, 0, wide, (int)length, &out[0], n, nullptr, lossyOut);
    if (ok && lossy) *ok = false;
    return out;
}

}  // namespace

std::u16string AnsiToUtf16(const char* text, size_t length)
{
    return Widen(CP_ACP, text, length, nullptr);
}

std::string Utf16ToAnsi(const char16_t* text, size_t length)
{
    return Narrow(CP_ACP, text, length, nullptr);
}

std::string Recode(UINT to, UINT from, const std::string& text, bool* ok)
{
    const std::u16string wide = Widen(from, text.data(), text.size(), ok);
    return Narrow(to, wide.data(), wide.size(), ok);
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
