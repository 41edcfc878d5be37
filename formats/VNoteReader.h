// Reads what a phone PUT to the program: a bare JPEG or GIF, or one of the makers' vNote objects.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/MediaObject.h"
#include "formats/TransferResults.h"

// Largest received object the reader takes: the vNote text of the largest media body, with room
// for its line breaks and properties. Receivers stop collecting beyond it.
constexpr uint32_t kMaxReceivedObject = 2 * kMaxMediaBody;

// The fields of a received object; the receive workflow copies them into a new MediaObject.
// Texts are Shift_JIS and stored as received, except the docomo summary, which is decoded.
struct ReceivedObject {
    int32_t kind = 0;      // MediaKind
    int32_t format = 0;    // PhoneFormat
    std::vector<uint8_t> body;
    std::optional<std::string> fileName;
    std::optional<std::string> summary;
    std::optional<std::string> title;
    int32_t time = 0;      // seconds since 1970 UTC; 0 = none
    int32_t position = 0;  // 0 not given, 1 LEFT, 2 CENTER, 3 RIGHT
    int32_t redistributionForbidden = 0;

    void Reset() { *this = ReceivedObject(); }
};

// `obexName` is the received Name header (nullptr when none), `obexTime` the received Time header
// (nullptr when none). Returns 0 with `out` filled, or a receive result (1, 2, 3 or 7) with `out`
// reset. Never throws for anything in the body.
int32_t ParseReceivedObject(const uint8_t* body, uint32_t length, const char* obexName,
                            const int32_t* obexTime, ReceivedObject* out);

// The value of a "DATE" property as seconds since 1970 UTC: "YYYYMMDDTHHMMSSZ" is UTC,
// "YYYYMMDDTHHMMSS" local time. 0 for any other form or a time the C library cannot convert.
int32_t ParseVNoteDate(const char* value);
