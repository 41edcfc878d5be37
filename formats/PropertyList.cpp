#include "formats/PropertyList.h"

#include <cstring>
#include <string_view>

const char kPropertyLineMessage[] = "パース対象の１行の形式が不正です。";

namespace {

// A value ending in "=" CR under this parameter continues on the next physical line.
const char kQpMarker[] = ";ENCODING=QUOTED-PRINTABLE";

}  // namespace

PropertyList::PropertyList(const uint8_t* text, uint32_t length)
{
    // One pending logical line; physical lines without a colon continue it. The position of its
    // first colon is kept so that each physical line costs time in its own length only.
    std::string pending;
    size_t colon = std::string::npos;
    bool quotedPrintable = false;  // the name part (before that colon) carries kQpMarker

    uint32_t at = 0;
    while (at < length) {
        const void* lf = std::memchr(text + at, '\n', length - at);
        const uint32_t end = lf ? (uint32_t)(static_cast<const uint8_t*>(lf) - text) : length;
        const char* line = reinterpret_cast<const char*>(text + at);
        const uint32_t lineLength = end - at;
        at = lf ? end + 1 : length;

        // Quoted-printable soft line break: drop the "=" and the CR before joining.
        const size_t n = pending.size();
        if (n >= 2 && pending[n - 2] == '=' && colon != std::string::npos && quotedPrintable) {
            pending.resize(n - 2);
            if (colon >= pending.size()) {  // the colon was the dropped last byte
                colon = std::string::npos;
                quotedPrintable = false;
            }
        }

        const bool lineHasColon = std::memchr(line, ':', lineLength) != nullptr;
        if (lineHasColon && !pending.empty()) {
            ParseLine(std::move(pending));
            pending.clear();
            colon = std::string::npos;
            quotedPrintable = false;
        }
        const size_t appendedAt = pending.size();
        pending.append(line, lineLength);
        if (colon == std::string::npos && lineHasColon) {
            colon = pending.find(':', appendedAt);
            // Matched as received, before the name is upper-cased.
            quotedPrintable = std::string_view(pending.data(), colon).find(kQpMarker) !=
                              std::string_view::npos;
        }
    }
    if (!pending.empty()) ParseLine(std::move(pending));
}

void PropertyList::ParseLine(std::string line)
{
    // A phone's object has a dozen lines; thousands are a flood meant to fill memory.
    if (++parsedLines_ > kMaxPropertyLines) throw Zorvex::CVSeriesException(kPropertyLineMessage);
    // Whitespace and control bytes go wherever they stand, values included; this is what
    // unfolds Base64 bodies whose continuation lines begin with spaces. Done in place: the
    // line may be the whole content.
    size_t kept = 0;
    for (char c : line) {
        if ((unsigned char)c > 0x20) line[kept++] = c;
    }
    line.resize(kept);
    if (kept > kMaxPropertyLine) throw Zorvex::CVSeriesException(kPropertyLineMessage);
    const size_t colon = line.find(':');
    if (colon == std::string::npos) throw Zorvex::CVSeriesException(kPropertyLineMessage);
    std::string name = line.substr(0, colon);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    }
    line.erase(0, colon + 1);
    Store(std::move(name), std::move(line));
}

void PropertyList::Set(const char* name, const char* value)
{
    Store(std::string(name ? name : ""), std::string(value ? value : ""));
}

void PropertyList::Store(std::string name, std::string value)
{
    auto found = index_.find(name);
    if (found != index_.end()) {
        entries_[found->second].second = std::move(value);
        return;
    }
    index_.emplace(name, entries_.size());
    entries_.emplace_back(std::move(name), std::move(value));
}

const char* PropertyList::Get(const char* name) const
{
    if (!name) return nullptr;
    auto found = index_.find(name);
    return found == index_.end() ? nullptr : entries_[found->second].second.c_str();
}
