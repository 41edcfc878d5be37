#include "app/ObjectInfo.h"

#include <cstdio>

#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "formats/AtomParser.h"

namespace {

const char kNotSet[] = "(設定されていません。)";
const char kInvalid[] = "(無効)";

std::string SizeText(int width, int height)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%dx%d", width, height);
    return buf;
}

std::string TextOrNotSet(const char* text) { return text ? text : kNotSet; }

}  // namespace

std::string MovieSizeText(const uint8_t* body, uint32_t length)
{
    MovieSizeReader reader(body, length);
    try {
        reader.Parse();
    } catch (const MP4ParseException&) {
        return "(未対応の形式)";
    }
    if (reader.GetWidth() == -1 || reader.GetHeight() == -1) return kInvalid;
    return SizeText(reader.GetWidth(), reader.GetHeight());
}

std::string LocalTimeText(int32_t seconds)
{
    CalendarTime t;
    if (!SecondsToLocalCalendar(seconds, &t)) return kInvalid;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d年%d月%d日 %d時%d分%d秒", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

ObjectInfo DescribeObject(const MediaObject& object, bool hasPicture, int pictureWidth,
                          int pictureHeight)
{
    ObjectInfo info;
    info.format = PhoneFormatLabel(object.GetFormat());
    info.kind = MediaKindLabel(object.GetKind());
    if (hasPicture) {
        info.size = SizeText(pictureWidth, pictureHeight);
    } else if (object.GetKind() == MEDIA_MOVIE) {
        info.size = MovieSizeText(object.GetBody(), object.GetBodyLength());
    } else {
        info.size = kInvalid;
    }
    info.title = TextOrNotSet(object.GetTitle());
    info.summary = TextOrNotSet(object.GetSummary());
    info.fileName = TextOrNotSet(object.GetFileName());
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u バイト", (unsigned)object.GetBodyLength());
    info.bodySize = buf;
    info.date = object.GetTime() != 0 ? LocalTimeText(object.GetTime()) : kNotSet;
    info.redistribution = object.GetRedistributionForbidden() ? "禁止" : "許可";
    return info;
}
