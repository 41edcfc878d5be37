#include "formats/PhoneFormats.h"

#include "core/MediaObject.h"

namespace {

constexpr unsigned Kind(int32_t kind) { return 1u << kind; }
constexpr unsigned kPictures = Kind(MEDIA_JPEG) | Kind(MEDIA_GIF);
constexpr unsigned kAll = kPictures | Kind(MEDIA_MOVIE) | Kind(MEDIA_IMELODY) | Kind(MEDIA_SMF);
constexpr unsigned kNamed = ENTRY_SUMMARY | ENTRY_FILE_NAME;

}  // namespace

const PhoneFormatInfo kPhoneFormats[8] = {
    {FORMAT_DOCOMO, "docomo", kAll, kNamed | ENTRY_DATE, false},
    {FORMAT_NEC, "n2051", kAll, kNamed, true},
    {FORMAT_FUJITSU, "f2051", kAll, ENTRY_TITLE, false},
    {FORMAT_P2102V, "p2102v", kAll, kNamed, true},
    {FORMAT_P504I, "p504i", kPictures | Kind(MEDIA_BMP) | Kind(MEDIA_IMELODY), 0, false},
    {FORMAT_JN51_JPEG, "jn51", Kind(MEDIA_JPEG), ENTRY_FILE_NAME, true},
    {FORMAT_JN51_DCF, "jn51-camera", Kind(MEDIA_JPEG), ENTRY_FILE_NAME, true},
    {FORMAT_DIRECT, "direct", kPictures, ENTRY_FILE_NAME, false},
};

const PhoneFormatInfo* FindPhoneFormat(int32_t format)
{
    return format >= 1 && format <= 8 ? &kPhoneFormats[format - 1] : nullptr;
}

bool FormatAccepts(int32_t format, int32_t kind)
{
    const PhoneFormatInfo* f = FindPhoneFormat(format);
    return f && kind >= 0 && kind < 32 && (f->kinds & Kind(kind));
}

bool FormatCarries(int32_t format, SendEntry entry)
{
    const PhoneFormatInfo* f = FindPhoneFormat(format);
    return f && (f->entries & entry);
}
