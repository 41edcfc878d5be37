#include "core/CodePage.h"

std::u16string AnsiToUtf16(const std::string& text)
{
    return AnsiToUtf16(text.data(), text.size());
}

std::string Utf16ToAnsi(const std::u16string& text)
{
    return Utf16ToAnsi(text.data(), text.size());
}
