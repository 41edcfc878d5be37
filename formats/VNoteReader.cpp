#include "formats/VNoteReader.h"

#include <cstring>
#include <new>

#include "core/ByteOrder.h"
#include "formats/BmpHeader.h"
#include "core/Codecs.h"
#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "formats/PropertyList.h"

namespace {

// atoi's reading: optional sign, then digits up to the first other character; 0 when there are
// none. Saturates instead of overflowing.
int32_t Decimal(const char* text, size_t length)
{
    size_t i = 0;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) value = 0x80000000LL;
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return (int32_t)value;
}

int32_t Decimal(const char* text) { return Decimal(text, std::strlen(text)); }

const char* GetEither(const PropertyList& list, const char* first, const char* second)
{
    const char* value = list.Get(first);
    return value ? value : list.Get(second);
}

void TakeText(std::optional<std::string>& field, const char* value)
{
    if (value) field = value;
}

bool StartsWith(const std::vector<uint8_t>& body, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return body.size() >= n && std::memcmp(body.data(), prefix, n) == 0;
}

// Raw 5-6-5 pixels (rows top to bottom, no padding) as a bottom-up 16-bit bit-field bitmap file.
// Returns false when the size lines are missing, not positive, or promise more pixels than came.
bool RebuildP504iBitmap(const PropertyList& list, std::vector<uint8_t>* body)
{
    const char* widthText = list.Get("X-WIDTH");
    const char* heightText = list.Get("X-HEIGHT");
    if (!widthText || !heightText) return false;
    const int32_t w = Decimal(widthText);
    const int32_t h = Decimal(heightText);
    if (w <= 0 || h <= 0) return false;
    const uint64_t rowBytes = (uint64_t)w * 2;
    if ((uint64_t)body->size() < rowBytes * (uint64_t)h) return false;
    const uint64_t stride = (rowBytes + 3) / 4 * 4;
    const uint64_t fileSize = stride * (uint64_t)h + 66;
    if (fileSize > 0xFFFFFFFFULL) return false;

    std::vector<uint8_t> image((size_t)fileSize, 0);
    uint8_t* p = image.data();
    PutBmpHeaders(p, (uint32_t)fileSize, 66, w, h, 16, 3, (uint32_t)(stride * (uint64_t)h));
    PutLe32(p + 54, 0xF800);
    PutLe32(p + 58, 0x07E0);
    PutLe32(p + 62, 0x001F);
    for (uint64_t row = 0; row < (uint64_t)h; ++row) {
        std::memcpy(p + 66 + ((uint64_t)h - 1 - row) * stride, body->data() + row * rowBytes,
                    (size_t)rowBytes);
    }
    body->swap(image);
    return true;
}

int32_t KindFromDocomoType(const char* v)
{
    if (!std::strcmp(v, "JPEG")) return MEDIA_JPEG;
    if (!std::strcmp(v, "GIF")) return MEDIA_GIF;
    if (!std::strcmp(v, "MFI")) return MEDIA_IMELODY;
    if (!std::strcmp(v, "SMF")) return MEDIA_SMF;
    return MEDIA_MOVIE;
}

int32_t KindFromNecType(const char* v)
{
    if (!std::strcmp(v, "JPEG")) return MEDIA_JPEG;
    if (!std::strcmp(v, "GIF")) return MEDIA_GIF;
    return MEDIA_UNKNOWN;
}

int32_t KindFromNecFormat(const char* v)
{
    if (!std::strcmp(v, "MP4")) return MEDIA_MOVIE;
    if (!std::strcmp(v, "MFI")) return MEDIA_IMELODY;
    if (!std::strcmp(v, "MIDI")) return MEDIA_SMF;
    return MEDIA_UNKNOWN;
}

int32_t KindFromFujitsuFormat(const char* v)
{
    switch (Decimal(v)) {
    case 0: return MEDIA_GIF;
    case 1: return MEDIA_IMELODY;
    case 2: return MEDIA_JPEG;
    case 3: return MEDIA_MOVIE;
    default: return MEDIA_UNKNOWN;
    }
}

// The NEC fields shared by pictures, movies and melodies.
void ReadNecFields(const PropertyList& list, const int32_t* obexTime, ReceivedObject* out)
{
    TakeText(out->summary, GetEither(list, "SUMMARY;CHARSET=SHIFT_JIS", "SUMMARY"));
    TakeText(out->fileName, GetEither(list, "X-NEC-FILENAME;CHARSET=SHIFT_JIS", "X-NEC-FILENAME"));
    if (const char* copyright = list.Get("X-NEC-COPYRIGHT")) {
        out->redistributionForbidden = Decimal(copyright) != 0 ? 1 : 0;
    }
    if (obexTime) out->time = *obexTime;
}

// Steps after the line layer; may throw Zorvex::CVSeriesException or std::bad_alloc.
int32_t ParseVNote(const uint8_t* body, uint32_t length, const char* obexName,
                   const int32_t* obexTime, ReceivedObject* out)
{
    const PropertyList list(body, length);
    const char* content = nullptr;
    const char* value;

    if ((value = list.Get("X-DOCOMO-TYPE")) != nullptr) {
        out->format = FORMAT_DOCOMO;
        out->kind = KindFromDocomoType(value);
        TakeText(out->fileName,
                 GetEither(list, "X-DOCOMO-FILENAME", "X-DOCOMO-FILENAME;CHARSET=SHIFT_JIS"));
        if (const char* qp = list.Get("SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE")) {
            // A malformed escape leaves an empty summary rather than a half-decoded one.
            std::string decoded(QpDecodedLength(qp), '\0');
            QpDecode(&decoded[0], qp);
            out->summary = decoded.c_str();
        }
        if (const char* date = list.Get("DATE")) out->time = ParseVNoteDate(date);
        content = list.Get("X-DOCOMO-BODY;ENCODING=BASE64");
    } else if ((value = list.Get("X-NEC-TYPE")) != nullptr) {
        out->format = obexName && !std::strcmp(obexName, "pic.vnt") ? FORMAT_P2102V : FORMAT_NEC;
        out->kind = KindFromNecType(value);
        ReadNecFields(list, obexTime, out);
        if (const char* position = list.Get("X-NEC-POSITION")) {
            if (!std::strcmp(position, "LEFT")) out->position = 1;
            else if (!std::strcmp(position, "CENTER")) out->position = 2;
            else if (!std::strcmp(position, "RIGHT")) out->position = 3;
        }
        content = list.Get("BODY;ENCODING=BASE64");
    } else if ((value = list.Get("X-NEC-FORMAT")) != nullptr) {
        // The short names of the P2102V ("vcp.vnt", "msc.vnt") have seven characters.
        out->format = obexName && std::strlen(obexName) == 7 ? FORMAT_P2102V : FORMAT_NEC;
        out->kind = KindFromNecFormat(value);
        ReadNecFields(list, obexTime, out);
        content = list.Get("BODY;ENCODING=BASE64");
    } else if ((value = list.Get("X-FJ-FORMAT")) != nullptr) {
        out->format = FORMAT_FUJITSU;
        out->kind = KindFromFujitsuFormat(value);
        TakeText(out->title, GetEither(list, "X-FJ-TITLE;CHARSET=SHIFT_JIS", "X-FJ-TITLE"));
        if (const char* copyright = list.Get("X-FJ-COPYRIGHT")) {
            out->redistributionForbidden = Decimal(copyright) != 0 ? 1 : 0;
        }
        if (obexTime) out->time = *obexTime;
        if (out->kind == MEDIA_UNKNOWN) return RECEIVE_UNKNOWN_FORMAT;
        content = list.Get("X-FJ-BODY;ENCODING=BASE64");
    } else if (list.Get("X-WIDTH")) {
        out->format = FORMAT_P504I;
        out->kind = MEDIA_BMP;
        content = list.Get("X-BODY;ENCODING=BASE64");
    } else if ((value = list.Get("X-FORMAT")) != nullptr && !std::strcmp(value, "1")) {
        out->format = FORMAT_P504I;
        out->kind = MEDIA_IMELODY;
        content = list.Get("X-BODY;ENCODING=BASE64");
    } else if ((value = list.Get("X-JPGNE-TYPE")) != nullptr) {
        if (!std::strcmp(value, "JPEG")) {
            out->format = FORMAT_JN51_JPEG;
        } else if (!std::strcmp(value, "DCF")) {
            out->format = FORMAT_JN51_DCF;
        } else {
            return RECEIVE_UNKNOWN_FORMAT;
        }
        out->kind = MEDIA_JPEG;
        if (const char* qp = list.Get("X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE")) {
            // Decoded when every escape is sound; otherwise the bytes as received.
            std::string decoded(QpDecodedLength(qp), '\0');
            out->fileName = QpDecode(&decoded[0], qp) ? decoded.c_str() : qp;
        }
        if (obexTime) out->time = *obexTime;
        content = list.Get("BODY;ENCODING=BASE64");
    } else {
        return RECEIVE_UNKNOWN_OBJECT;
    }
    if (!content) return RECEIVE_UNKNOWN_FORMAT;

    const uint32_t textLength = (uint32_t)std::strlen(content);
    if (textLength % 4 != 0) return RECEIVE_BAD_DATA;
    out->body.resize(Base64DecodedLength(textLength));
    uint32_t decoded = 0;
    Base64Decode(out->body.data(), &decoded, content, textLength);
    out->body.resize(decoded);
    if (out->body.size() > kMaxMediaBody) return RECEIVE_BAD_DATA;
    // An object whose content is empty carries nothing to install.
    if (out->body.empty()) return RECEIVE_NO_DATA;

    if (out->format == FORMAT_FUJITSU) {
        if (out->kind == MEDIA_IMELODY && StartsWith(out->body, "MThd")) out->kind = MEDIA_SMF;
        if (out->kind == MEDIA_JPEG && StartsWith(out->body, "GIF")) out->kind = MEDIA_GIF;
    }
    if (out->format == FORMAT_P504I && out->kind == MEDIA_BMP &&
        !RebuildP504iBitmap(list, &out->body)) {
        return RECEIVE_UNKNOWN_FORMAT;
    }
    return 0;
}

}  // namespace

int32_t ParseVNoteDate(const char* value)
{
    const size_t n = std::strlen(value);
    const bool utc = n == 16 && value[15] == 'Z';
    if (!(utc || n == 15) || value[8] != 'T') return 0;
    int32_t seconds = 0;
    return CompactDateTimeToSeconds(value, utc, &seconds) ? seconds : 0;
}

int32_t ParseReceivedObject(const uint8_t* body, uint32_t length, const char* obexName,
                            const int32_t* obexTime, ReceivedObject* out)
{
    out->Reset();
    if (!body || length == 0) return RECEIVE_NO_DATA;
    // Nothing larger is ever loaded or sent; the vNote text of the largest body is about 4/3 of it.
    if (length > kMaxReceivedObject) return RECEIVE_BAD_DATA;

    // Phones in direct mode send the picture file itself, which is a media body.
    const bool jpeg = length >= 3 && body[0] == 0xFF && body[1] == 0xD8 && body[2] == 0xFF;
    if (jpeg || (length >= 3 && std::memcmp(body, "GIF", 3) == 0)) {
        if (length > kMaxMediaBody) return RECEIVE_BAD_DATA;
        out->body.assign(body, body + length);
        out->kind = jpeg ? MEDIA_JPEG : MEDIA_GIF;
        out->format = FORMAT_DIRECT;
        return 0;
    }

    int32_t result;
    try {
        result = ParseVNote(body, length, obexName, obexTime, out);
    } catch (const Zorvex::CVSeriesException&) {
        result = RECEIVE_BAD_DATA;
    } catch (const std::bad_alloc&) {
        result = RECEIVE_BAD_DATA;
    }
    if (result != 0) out->Reset();
    return result;
}
