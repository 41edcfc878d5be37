#include "formats/VNoteWriter.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "core/Codecs.h"
#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "formats/AtomParser.h"
#include "formats/BitmapManager.h"
#include "formats/ImageManager.h"
#include "formats/PhoneFormats.h"

namespace {

// Entries the format carries, which it cannot do without; a present text may be empty.
bool HasRequiredFields(const SendJob& job)
{
    const auto lacks = [&job](SendEntry entry, bool given) {
        return FormatCarries(job.format, entry) && !given;
    };
    if (lacks(ENTRY_TITLE, job.title.has_value()) || lacks(ENTRY_SUMMARY, job.summary.has_value()) ||
        lacks(ENTRY_FILE_NAME, job.fileName.has_value()) || lacks(ENTRY_DATE, job.time != 0)) {
        return false;
    }
    // The docomo size line of a picture comes from its decoded form.
    return job.format != FORMAT_DOCOMO || job.picture ||
           (job.kind != MEDIA_JPEG && job.kind != MEDIA_GIF);
}

const char* ObjectName(int32_t format, int32_t kind)
{
    const int column = kind == MEDIA_MOVIE ? 1 : (kind == MEDIA_IMELODY || kind == MEDIA_SMF) ? 2 : 0;
    static const char* const kNames[][3] = {
        {"mypic.vnt", "myvideo.vnt", "mymldy.vnt"},  // docomo standard
        {"nec_pic.vnt", "nec_vcp.vnt", "nec_msc.vnt"},
        {"fj_img.vnt", "fj_mov.vnt", "fj_mld.vnt"},
        {"pic.vnt", "vcp.vnt", "msc.vnt"},  // P2102V
    };
    switch (format) {
    case FORMAT_DOCOMO: return kNames[0][column];
    case FORMAT_NEC: return kNames[1][column];
    case FORMAT_FUJITSU: return kNames[2][column];
    case FORMAT_P2102V: return kNames[3][column];
    case FORMAT_P504I: return kind == MEDIA_IMELODY ? "mld.vnt" : "scln.vnt";
    default: return "nec.vnt";  // both J-N51 formats
    }
}

const char* FujitsuType(int32_t kind)
{
    if (kind == MEDIA_MOVIE) return "text/x-FJ-Movie";
    if (kind == MEDIA_IMELODY || kind == MEDIA_SMF) return "text/x-FJ-Melody";
    return "text/x-FJ-Image";
}

class VNoteText {
public:
    explicit VNoteText(ByteBuffer& buffer) : b_(buffer) {}

    void Line(const char* text)
    {
        b_.AppendText(text);
        b_.AppendText("\r\n");
    }
    void Line(const char* name, const std::string& value)
    {
        b_.AppendText(name);
        b_.Append(value.data(), (uint32_t)value.size());
        b_.AppendText("\r\n");
    }

    // A: the first 72 characters on the property line, then lines of 72.
    // B: the first 52 on the property line, then lines of one space and up to 72.
    // C: nothing on the property line, then lines of four spaces and up to 64.
    // Every layout ends with one empty line.
    enum Layout { A, B, C };
    void Content(const char* name, const uint8_t* data, uint32_t length, Layout layout)
    {
        std::string text(Base64EncodedLength(length), '\0');
        Base64Encode(&text[0], data, length);
        const size_t first = layout == A ? 72 : layout == B ? 52 : 0;
        const size_t width = layout == C ? 64 : 72;
        const char* indent = layout == A ? "" : layout == B ? " " : "    ";

        b_.AppendText(name);
        size_t at = std::min(first, text.size());
        b_.Append(text.data(), (uint32_t)at);
        b_.AppendText("\r\n");
        while (at < text.size()) {
            const size_t n = std::min(width, text.size() - at);
            b_.AppendText(indent);
            b_.Append(text.data() + at, (uint32_t)n);
            b_.AppendText("\r\n");
            at += n;
        }
        b_.AppendText("\r\n");
    }

private:
    ByteBuffer& b_;
};

std::string Qp(const std::string& text)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    std::string out(QpEncodedLength(bytes, (uint32_t)text.size()), '\0');
    QpEncode(&out[0], bytes, (uint32_t)text.size());
    return out;
}

const char* CopyrightFlag(const SendJob& job) { return job.redistributionForbidden ? "1" : "0"; }

std::string Format(const char* pattern, int a, int b)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

int32_t WriteDocomo(const SendJob& job, OutgoingObject& object)
{
    CalendarTime utc;
    if (!SecondsToUtcCalendar(job.time, &utc)) return SEND_BAD_JOB;

    std::string size;  // empty: no size line
    if (job.kind == MEDIA_JPEG || job.kind == MEDIA_GIF) {
        size = Format("%dX%d", job.picture->GetWidth(), job.picture->GetHeight());
    } else if (job.kind == MEDIA_MOVIE) {
        MovieSizeReader movie(job.body.data(), (uint32_t)job.body.size());
        movie.Parse();  // MP4ParseException: the caller's code 6
        if (movie.GetWidth() != -1 && movie.GetHeight() != -1) {
            size = Format("%dX%d", movie.GetWidth(), movie.GetHeight());
        }
    }
    const char* type = job.kind == MEDIA_JPEG   ? "JPEG"
                       : job.kind == MEDIA_GIF  ? "GIF"
                       : job.kind == MEDIA_IMELODY ? "MFI"
                       : job.kind == MEDIA_SMF  ? "SMF"
                                                : "MP4";
    char fileSize[32];
    std::snprintf(fileSize, sizeof fileSize, "%lubyte", (unsigned long)job.body.size());

    VNoteText t(object.body);
    t.Line("BEGIN:VNOTE");
    t.Line("VERSION:1.1");
    t.Line("X-DOCOMO-TYPE:", type);
    if (!size.empty()) t.Line("X-DOCOMO-SIZE:", size);
    t.Line("X-DOCOMO-FILESIZE:", fileSize);
    t.Line("X-DOCOMO-FILENAME:", *job.fileName);
    t.Line("SUMMARY;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:", Qp(*job.summary));
    t.Line("DATE:", FormatCompactUtc(utc));
    t.Content("X-DOCOMO-BODY;ENCODING=BASE64:", job.body.data(), (uint32_t)job.body.size(),
              VNoteText::A);
    t.Line("END:VNOTE");
    return 0;
}

int32_t WriteNec(const SendJob& job, OutgoingObject& object)
{
    VNoteText t(object.body);
    t.Line("BEGIN:VNOTE");
    t.Line("VERSION:1.1");
    t.Line("SUMMARY;CHARSET=SHIFT_JIS:", *job.summary);
    t.Content("BODY;ENCODING=BASE64:", job.body.data(), (uint32_t)job.body.size(), VNoteText::B);
    if (job.kind == MEDIA_JPEG || job.kind == MEDIA_GIF) {
        static const char* const kPositions[] = {"LEFT", "CENTER", "RIGHT"};
        t.Line("X-NEC-TYPE:", job.kind == MEDIA_JPEG ? "JPEG" : "GIF");
        t.Line("X-NEC-POSITION:", kPositions[job.position - 1]);  // 1..3, checked before
    } else {
        t.Line("X-NEC-COPYRIGHT:", CopyrightFlag(job));
        t.Line("X-NEC-FORMAT:", job.kind == MEDIA_MOVIE     ? "MP4"
                                : job.kind == MEDIA_IMELODY ? "MFI"
                                                            : "MIDI");
    }
    t.Line("X-NEC-FILENAME;CHARSET=SHIFT_JIS:", *job.fileName);
    t.Line("END:VNOTE");
    return 0;
}

int32_t WriteFujitsu(const SendJob& job, OutgoingObject& object)
{
    VNoteText t(object.body);
    t.Line("BEGIN:VNOTE");
    t.Line("VERSION:1.0");
    switch (job.kind) {
    case MEDIA_JPEG:
        t.Line("X-FJ-FORMAT:2");
        t.Line("X-FJ-PICTYPE:1");
        break;
    case MEDIA_GIF:
        t.Line("X-FJ-FORMAT:2");
        t.Line("X-FJ-PICTYPE:0");
        break;
    case MEDIA_MOVIE:
        t.Line("X-FJ-FORMAT:3");
        t.Line("X-FJ-MOVIETYPE:0");
        break;
    default:  // both melody kinds
        t.Line("X-FJ-FORMAT:1");
        t.Line("X-FJ-TELTYPE:F2051");
        break;
    }
    t.Line("X-FJ-COPYRIGHT:", CopyrightFlag(job));
    t.Line("X-FJ-TITLE;CHARSET=SHIFT_JIS:", *job.title);
    t.Content("X-FJ-BODY;ENCODING=BASE64:", job.body.data(), (uint32_t)job.body.size(),
              VNoteText::C);
    t.Line("END:VNOTE");
    return 0;
}

// The picture as raw 5-6-5 pixels, red highest, low byte first, rows top to bottom.
// Throws the picture decoders' exceptions.
std::vector<uint8_t> Rgb565Pixels(const SendJob& job, int32_t* width, int32_t* height)
{
    // JPEG and GIF go through a 24-bit bitmap file image first.
    std::vector<uint8_t> bmp;
    const uint8_t* file = job.body.data();
    uint32_t fileLength = (uint32_t)job.body.size();
    if (job.kind != MEDIA_BMP) {
        bmp = Zorvex::ImageManager(file, fileLength).GetBmp();
        file = bmp.data();
        fileLength = (uint32_t)bmp.size();
    }
    const BitmapManager bitmap(file, fileLength);
    *width = bitmap.GetWidth();
    *height = bitmap.GetHeight();
    const uint8_t* bgr = bitmap.GetPixels();
    const uint32_t count = bitmap.GetPixelCount();
    std::vector<uint8_t> out((size_t)count * 2);
    for (uint32_t i = 0; i < count; ++i, bgr += 3) {
        const unsigned v = (unsigned)(bgr[2] & 0xF8) << 8 | (unsigned)(bgr[1] & 0xFC) << 3 |
                           (unsigned)(bgr[0] >> 3);
        out[i * 2] = (uint8_t)v;
        out[i * 2 + 1] = (uint8_t)(v >> 8);
    }
    return out;
}

int32_t WriteP504i(const SendJob& job, OutgoingObject& object)
{
    VNoteText t(object.body);
    if (job.kind == MEDIA_IMELODY) {
        t.Line("BEGIN:VNOTE");
        t.Line("VERSION:1.1");
        t.Line("X-FORMAT:1");
        t.Content("X-BODY;ENCODING=BASE64:", job.body.data(), (uint32_t)job.body.size(),
                  VNoteText::A);
        t.Line("END:VNOTE");
        return 0;
    }
    int32_t width = 0, height = 0;
    const std::vector<uint8_t> pixels = Rgb565Pixels(job, &width, &height);
    if (pixels.empty()) return SEND_UNCONVERTIBLE;  // a picture without pixels
    t.Line("BEGIN:VNOTE");
    t.Line("VERSION:1.1");
    t.Line("X-BMPTYPE:04");
    t.Line("X-HPICLR:0");
    t.Line("X-WIDTH:", std::to_string(width));
    t.Line("X-HEIGHT:", std::to_string(height));
    t.Content("X-BODY;ENCODING=BASE64:", pixels.data(), (uint32_t)pixels.size(), VNoteText::A);
    t.Line("X-COPYRIGHT:", CopyrightFlag(job));
    t.Line("END:VNOTE");
    return 0;
}

int32_t WriteJn51(const SendJob& job, OutgoingObject& object)
{
    // Phones read at most 74 characters of this line; one soft break carries the rest over.
    std::string name = "X-JPGNE-FILENAME;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:";
    name += Qp(*job.fileName);
    if (name.size() > 74) name.insert(74, "=\r\n");

    VNoteText t(object.body);
    t.Line("BEGIN:VNOTE");
    t.Line("VERSION:1.1");
    t.Line(job.format == FORMAT_JN51_JPEG ? "X-JPGNE-TYPE:JPEG" : "X-JPGNE-TYPE:DCF");
    t.Line(name.c_str());
    t.Content("BODY;ENCODING=BASE64:", job.body.data(), (uint32_t)job.body.size(), VNoteText::B);
    t.Line("END:VNOTE");
    return 0;
}

int32_t Build(const SendJob& job, OutgoingObject& object)
{
    // Only NEC pictures write the position, but any other value means the job was not filled
    // by the send workflow, which always leaves it at 2.
    if (job.body.empty() || !FormatAccepts(job.format, job.kind) || !HasRequiredFields(job) ||
        job.position < 1 || job.position > 3) {
        return SEND_BAD_JOB;
    }
    // Loading refuses such files already; a larger body is never encoded.
    if (job.body.size() > kMaxMediaBody) return SEND_UNCONVERTIBLE;
    if (job.format == FORMAT_DIRECT) {
        object.name = *job.fileName;
        object.body.Append(job.body.data(), (uint32_t)job.body.size());
        return 0;
    }
    object.name = ObjectName(job.format, job.kind);
    switch (job.format) {
    case FORMAT_DOCOMO: return WriteDocomo(job, object);
    case FORMAT_NEC:
    case FORMAT_P2102V: return WriteNec(job, object);
    case FORMAT_FUJITSU:
        object.type = FujitsuType(job.kind);
        return WriteFujitsu(job, object);
    case FORMAT_P504I: return WriteP504i(job, object);
    default: return WriteJn51(job, object);
    }
}

}  // namespace

int32_t BuildOutgoingObject(const SendJob& job, ProgressSink* progress,
                            std::unique_ptr<OutgoingObject>* out)
{
    out->reset();
    if (progress) progress->SetPhase(PHASE_INITIALISING);
    auto object = std::make_unique<OutgoingObject>();
    int32_t result;
    try {
        result = Build(job, *object);
    } catch (const MP4ParseException&) {
        result = SEND_UNCONVERTIBLE;
    } catch (const ImageManagerException&) {
        result = SEND_UNCONVERTIBLE;
    } catch (const Zorvex::BitmapManagerException&) {
        result = SEND_UNCONVERTIBLE;
    } catch (const std::bad_alloc&) {
        result = SEND_UNCONVERTIBLE;  // an object too large to build in memory
    } catch (const std::length_error&) {
        result = SEND_UNCONVERTIBLE;  // an encoding longer than 32 bits can count
    }
    if (result != 0) {
        if (progress) progress->SetPhase(PHASE_FAILED);
        return result;
    }
    *out = std::move(object);
    if (progress) progress->SetPhase(PHASE_STARTING);
    return 0;
}
