// The headers ObexObject writes into a request or response.
#include "obex/ObexObject.h"

#include "core/TextHelpers.h"
#include "core/TimeConv.h"

void ObexObject::WriteUnicodeHeader(uint8_t id, const char* text)
{
    std::u16string wide = TextToUtf16(text ? text : "");
    WriteByte(id);
    WriteWord((uint16_t)(2 * wide.size() + 5));
    for (char16_t unit : wide) WriteWord((uint16_t)unit);
    WriteWord(0);
}

void ObexObject::WriteBytesHeader(uint8_t id, const void* data, int32_t count)
{
    WriteByte(id);
    WriteWord((uint16_t)(count + 3));
    WriteBytes(data, count);
}

void ObexObject::WriteDoubleWordHeader(uint8_t id, uint32_t value)
{
    WriteByte(id);
    WriteDoubleWord(value);
}

std::string ObexObject::FormatIsoTime(int32_t seconds)
{
    CalendarTime utc;
    if (!SecondsToUtcCalendar(seconds, &utc)) utc = CalendarTime{1970, 1, 1, 0, 0, 0};
    return FormatCompactUtc(utc);
}

void ObexObject::WriteHeaders()
{
    if (out_.hasCount) WriteDoubleWordHeader(OBEX_HI_COUNT, out_.count);
    if (out_.hasName) WriteUnicodeHeader(OBEX_HI_NAME, out_.name.c_str());
    if (out_.hasType) WriteBytesHeader(OBEX_HI_TYPE, out_.type.c_str(), (int32_t)out_.type.size() + 1);
    if (out_.hasTime) {
        if (out_.timeAsNumber) {
            WriteDoubleWordHeader(OBEX_HI_TIME_NUMBER, (uint32_t)out_.time);
        } else {
            std::string text = FormatIsoTime(out_.time);
            WriteBytesHeader(OBEX_HI_TIME_TEXT, text.data(), 16);
        }
    }
    if (out_.hasDescription) WriteUnicodeHeader(OBEX_HI_DESCRIPTION, out_.description.c_str());
    if (out_.hasLength) WriteDoubleWordHeader(OBEX_HI_LENGTH, out_.length);
    int32_t lines = out_.http.GetCount();
    if (lines > 0) {
        std::vector<const char*> names((size_t)lines), values((size_t)lines);
        out_.http.GetNames(names.data(), lines);
        out_.http.GetValues(values.data(), lines);
        std::string payload;
        for (int32_t i = 0; i < lines; ++i) {
            payload += names[(size_t)i];
            payload += ": ";
            payload += values[(size_t)i];
            payload += "\r\n";
        }
        WriteBytesHeader(OBEX_HI_HTTP, payload.data(), (int32_t)payload.size());
    }
    if (auth_.sendChallenge) WriteAuthChallengeHeader();
    if (auth_.sendResponse) WriteAuthResponseHeader();
}
