#include "core/TextHelpers.h"

#include <cstring>

#include "core/CodePage.h"

char* TrimText(char* text)
{
    size_t n = std::strlen(text);
    while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\t')) text[--n] = '\0';
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

std::string DuplicateText(const char* text)
{
    return text ? std::string(text) : std::string();
}

std::u16string TextToUtf16(const char* text)
{
    return AnsiToUtf16(text, std::strlen(text));
}

std::string TextToAnsi(const char16_t* text)
{
    return Utf16ToAnsi(text, std::char_traits<char16_t>::length(text));
}
