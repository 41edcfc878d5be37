// The line layer of the vNote reader: a phone's object text as (name, value) properties.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Error.h"
#include "core/MediaObject.h"

namespace Zorvex {

// Thrown by value when a logical line holds no colon.
class CVSeriesException : public ZvError {
public:
    explicit CVSeriesException(const char* message) : ZvError(0, message) {}
};

}  // namespace Zorvex

// Most logical lines a text may hold, and most bytes of one line once its whitespace is gone:
// room for a name and the Base64 text of the largest media body. Beyond either the text is
// refused like a malformed line.
constexpr int32_t kMaxPropertyLines = 4096;
constexpr uint32_t kMaxPropertyLine = (kMaxMediaBody + 2) / 3 * 4 + 256;

// Names are stored upper-cased together with their parameters, so
// "SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE" is one name. A later property of the
// same name replaces the earlier value.
class PropertyList {
public:
    PropertyList() = default;
    // Parses the whole text (`length` bytes, NUL bytes allowed); throws
    // Zorvex::CVSeriesException for a logical line without a colon, or beyond the limits above.
    PropertyList(const uint8_t* text, uint32_t length);
    virtual ~PropertyList() = default;

    virtual void Set(const char* name, const char* value);
    // nullptr when absent; valid until the next Set.
    virtual const char* Get(const char* name) const;
    virtual int32_t GetCount() const { return (int32_t)entries_.size(); }

private:
    void ParseLine(std::string line);
    void Store(std::string name, std::string value);

    // Objects may hold thousands of properties; a linear search per line would make parsing
    // quadratic, so names are looked up by hash. Names are plain byte strings compared exactly.
    std::vector<std::pair<std::string, std::string>> entries_;
    std::unordered_map<std::string, size_t> index_;
    int32_t parsedLines_ = 0;
};

// The line layer's one message: "パース対象の１行の形式が不正です。".
extern const char kPropertyLineMessage[];
