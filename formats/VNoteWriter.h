// Wraps the current picture, movie or melody the way each phone maker expects: a vNote text
// (or, in direct mode, the file itself) with the object name and type it is PUT under.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formats/ProgressSink.h"
#include "formats/TransferResults.h"
#include "core/ByteBuffer.h"

namespace Zorvex {
class ImageManager;
}

// What the send worker hands to the writer. Texts are Shift_JIS; an absent optional is "none",
// an empty text counts as present.
struct SendJob {
    int32_t kind = 0;    // MediaKind
    int32_t format = 0;  // PhoneFormat, 1 to 8
    std::vector<uint8_t> body;
    std::optional<std::string> fileName;  // at most kMaxMediaFileName bytes
    std::optional<std::string> summary;   // at most kMaxSummaryBytes (formats/PhoneFormats.h)
    std::optional<std::string> title;     // at most kMaxTitleBytes
    int32_t time = 0;                     // seconds since 1970 UTC; 0 = none
    int32_t redistributionForbidden = 0;  // written as the copyright flag
    int32_t position = 2;                 // 1 LEFT, 2 CENTER, 3 RIGHT
    // A decoded form of the body (JPEG or GIF) for docomo's size line; not owned, only read.
    const Zorvex::ImageManager* picture = nullptr;

    void Reset() { *this = SendJob(); }
};

struct OutgoingObject {
    static constexpr uint32_t kChunkSize = 65536;

    std::string name;                 // OBEX Name header
    std::optional<std::string> type;  // OBEX Type header (Fujitsu only)
    ByteBuffer body{kChunkSize};      // the bytes to PUT
};

// Reports phase 1, then builds the object and reports phase 2 and returns 0 with `*out` set; or
// reports phase 8 and returns SEND_BAD_JOB or SEND_UNCONVERTIBLE with `*out` left empty.
// `progress` may be nullptr.
int32_t BuildOutgoingObject(const SendJob& job, ProgressSink* progress,
                            std::unique_ptr<OutgoingObject>* out);
