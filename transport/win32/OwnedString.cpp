#include "transport/win32/OwnedString.h"

#include <cstring>

OwnedString::~OwnedString()
{
    delete[] text_;
}

void OwnedString::SetText(const char* text)
{
    char* copy = nullptr;
    if (text) {
        size_t length = std::strlen(text);
        copy = new char[length + 1];
        std::memcpy(copy, text, length + 1);
    }
    delete[] text_;
    text_ = copy;
}

int32_t OwnedString::GetTextLength()
{
    return text_ ? (int32_t)std::strlen(text_) : 0;
}

const char* OwnedString::GetText()
{
    return text_;
}
