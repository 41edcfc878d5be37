// A text owned on the heap: the peer device's name of an IrDA transport.
#pragma once
#include <cstdint>

class OwnedString {
public:
    OwnedString() = default;
    virtual ~OwnedString();
    OwnedString(const OwnedString&) = delete;
    OwnedString& operator=(const OwnedString&) = delete;

    // Replaces the text with a copy of `text` (nullptr forgets it).
    virtual void SetText(const char* text);
    // Bytes of the text; 0 when none is set.
    virtual int32_t GetTextLength();
    // The text, or nullptr when none was ever set.
    virtual const char* GetText();

private:
    char* text_ = nullptr;
};
