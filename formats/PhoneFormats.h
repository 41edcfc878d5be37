// The eight send formats, once: what each takes and which entries it carries. The writer, the
// send settings dialog and zvx read this table; their labels are PhoneFormatLabel's.
#pragma once
#include <cstddef>
#include <cstdint>

// Longest texts a phone object carries, in bytes (the dialog's edits hold no more); the file
// name's is kMaxMediaFileName (core/MediaObject.h).
constexpr size_t kMaxTitleBytes = 24;
constexpr size_t kMaxSummaryBytes = 24;

// Entries a format carries; each one it carries is required (a text present, a time not 0).
enum SendEntry : unsigned {ENTRY_TITLE = 1, ENTRY_SUMMARY = 2, ENTRY_FILE_NAME = 4, ENTRY_DATE = 8};

struct PhoneFormatInfo {
    int32_t format;        // PhoneFormat, 1 to 8
    const char* name;      // zvx's name
    unsigned kinds;        // bit k: MediaKind k is accepted
    unsigned entries;      // SendEntry bits
    bool doubleByteName;   // the file name may hold double-byte characters
};

// The format's row, or nullptr for any code but 1 to 8.
const PhoneFormatInfo* FindPhoneFormat(int32_t format);
// All rows, in format order.
extern const PhoneFormatInfo kPhoneFormats[8];

bool FormatAccepts(int32_t format, int32_t kind);
bool FormatCarries(int32_t format, SendEntry entry);
