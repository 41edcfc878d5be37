// The one object the program works on: a picture, movie or melody with its phone-side fields.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileAccess.h"

enum MediaKind : int32_t {
    MEDIA_UNKNOWN = 0,
    MEDIA_JPEG = 1,
    MEDIA_MOVIE = 2,   // 3GP/MP4
    MEDIA_GIF = 3,
    MEDIA_BMP = 4,
    MEDIA_IMELODY = 6, // MLD
    MEDIA_SMF = 7,     // standard MIDI file
    MEDIA_VCARD = 8,   // label only
};

enum PhoneFormat : int32_t {
    FORMAT_UNKNOWN = 0,
    FORMAT_DOCOMO = 1,
    FORMAT_NEC = 2,
    FORMAT_FUJITSU = 3,
    FORMAT_P2102V = 4,
    FORMAT_P504I = 5,
    FORMAT_JN51_JPEG = 6,
    FORMAT_JN51_DCF = 7,
    FORMAT_DIRECT = 8,
    FORMAT_LOCAL_FILE = 9,
};

// Labels as the information dialog shows them; "(予期しない値です)" for codes without one.
const char* MediaKindLabel(int32_t kind);
const char* PhoneFormatLabel(int32_t format);

// Largest media body the program loads, receives or sends: 32 MiB, far more than any phone holds,
// and small enough that every encoded form (Base64, quoted-printable, a P504i bitmap) and every
// buffer the transfers build stays well inside 32 bits on 32- and 64-bit Windows alike.
constexpr uint32_t kMaxMediaBody = 32u << 20;

// Longest file name a MediaObject keeps, in bytes; a longer one is not kept at all.
constexpr size_t kMaxMediaFileName = 18;

class MediaObject {
public:
    MediaObject() = default;
    virtual ~MediaObject() = default;

    int32_t GetKind() const { return kind_; }
    void SetKind(int32_t kind) { kind_ = kind; }
    int32_t GetFormat() const { return format_; }
    void SetFormat(int32_t format) { format_ = format; }

    // Texts are Shift_JIS; nullptr means "none".
    const char* GetTitle() const { return hasTitle_ ? title_.c_str() : nullptr; }
    void SetTitle(const char* text) { Assign(title_, hasTitle_, text); }
    const char* GetSummary() const { return hasSummary_ ? summary_.c_str() : nullptr; }
    void SetSummary(const char* text) { Assign(summary_, hasSummary_, text); }
    const char* GetFileName() const { return hasFileName_ ? fileName_.c_str() : nullptr; }
    // Applies the 18-byte rule: a longer name leaves the object without a file name.
    void SetFileName(const char* text);

    int32_t GetPosition() const { return position_; }  // 0 none, 1 LEFT, 2 CENTER, 3 RIGHT
    void SetPosition(int32_t position) { position_ = position; }
    int32_t GetTime() const { return time_; }           // seconds since 1970 UTC; 0 = none
    void SetTime(int32_t time) { time_ = time; }
    int32_t GetRedistributionForbidden() const { return noRedistribution_; }
    void SetRedistributionForbidden(int32_t flag) { noRedistribution_ = flag; }

    const uint8_t* GetBody() const { return body_.data(); }
    uint32_t GetBodyLength() const { return (uint32_t)body_.size(); }
    void SetBody(const uint8_t* data, uint32_t length) { body_.assign(data, data + length); }
    void SetBody(std::vector<uint8_t> body) { body_ = std::move(body); }

private:
    static void Assign(std::string& field, bool& present, const char* text)
    {
        present = text != nullptr;
        field = text ? text : "";
    }

    int32_t kind_ = MEDIA_UNKNOWN;
    int32_t format_ = FORMAT_UNKNOWN;
    std::string title_, summary_, fileName_;
    bool hasTitle_ = false, hasSummary_ = false, hasFileName_ = false;
    int32_t position_ = 0;
    int32_t time_ = 0;
    int32_t noRedistribution_ = 0;
    std::vector<uint8_t> body_;
};

// Kind of a buffer of at least 5 bytes from its first bytes; never fails (no match: movie).
int32_t DetectMediaKind(const uint8_t* bytes, uint32_t length);

// Whether a body is what its kind says, before anything decodes or plays it: a JPEG starts
// FF D8 FF, a GIF "GIF8", a BMP "BM", and a movie with a whole 'ftyp' box. A phone's label alone
// would let any bytes reach the picture loader (which also plays metafiles and icons) or a movie
// player. Melodies are never decoded and always match.
bool ContentMatchesKind(int32_t kind, const uint8_t* body, uint32_t length);

// The part of a path after the last separator, stepping over double-byte characters so that a
// trail byte 0x5C (as in 表) is not taken for a backslash.
std::string FileNameFromPath(const char* path);

// Smallest file LoadMediaFile takes.
constexpr uint32_t kMinMediaFile = 30;

// Reads a file into a new object of format 9. On failure returns nullptr and sets `error` to the
// message for a warning box captioned "ファイルアクセス".
std::unique_ptr<MediaObject> LoadMediaFile(const char* path, std::string* error);

// The second half of LoadMediaFile, for a file read some other way with the same limits
// (kMinMediaFile to kMaxMediaBody): `status` and `file` are what the read gave, `path` (ANSI)
// names the file in the messages and gives the object its file name.
std::unique_ptr<MediaObject> MediaObjectFromFile(FileReadStatus status, FileContents& file,
                                                 const char* path, std::string* error);
