#include "app/SendSettingsRules.h"

#include <cstring>

#include "core/CodePage.h"
#include "core/MediaObject.h"
#include "res/resource.h"

const char kUnexpectedFormatMessage[] = "予期しないフォーマットです。";
const char kUnexpectedKindMessage[] = "予期しないタイプです。";
const char kNoFormatCheckedMessage[] = "フォーマットのチェックを確認できません。";
const char kNothingToSendMessage[] = "送信対象のデータがありません。";

const FormatButton kFormatButtons[kFormatButtonCount] = {
    {IDC_FMT_DOCOMO, FORMAT_DOCOMO, FieldRule::A},
    {IDC_FMT_NEC, FORMAT_NEC, FieldRule::B},
    {IDC_FMT_FUJITSU, FORMAT_FUJITSU, FieldRule::C},
    {IDC_FMT_P2102V, FORMAT_P2102V, FieldRule::B},
    {IDC_FMT_P504I, FORMAT_P504I, FieldRule::D},
    {IDC_FMT_JN51_JPEG, FORMAT_JN51_JPEG, FieldRule::E},
    {IDC_FMT_JN51_DCF, FORMAT_JN51_DCF, FieldRule::E},
    {IDC_FMT_DIRECT, FORMAT_DIRECT, FieldRule::F},
};

namespace {

const char kNotUsable[] = "指定できません。";
const char kWide[] = "全角使用可です。";
const char kAsciiOnly[] = "ASCII文字の一部のみ可です。";
const char kSavedTime[] = "保存日時になります。";
const char kAlwaysAllowed[] = "常に再配布許可になります。";

constexpr FieldState kOff{false, kNotUsable};

const char kNeedSummary[] = "サマリーを入力してください。";
const char kNeedFileName[] = "ファイル名を入力してください。";
const char kNeedTitle[] = "タイトルを入力してください。";
const char kBadFileName[] =
    "ファイル名は半角英数字およびマイナス（-）、ドット（.）、アンダーバー（_）のみで入力してください。";

bool Empty(const char* text) { return !text || !*text; }

bool PlainFileNameByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '.' || c == '_';
}

}  // namespace

const char* const kEntryRefusals[kEntryRefusalCount] = {kNeedSummary, kNeedFileName, kNeedTitle,
                                                        kBadFileName};

FieldStates StatesForRule(FieldRule rule)
{
    const FieldState redist{false, kAlwaysAllowed};
    switch (rule) {
    case FieldRule::A: return {kOff, {true, kWide}, {true, kAsciiOnly}, {true, kSavedTime}, redist};
    case FieldRule::B: return {kOff, {true, kWide}, {true, kWide}, kOff, redist};
    case FieldRule::C: return {{true, kWide}, kOff, kOff, kOff, redist};
    case FieldRule::D: return {kOff, kOff, kOff, kOff, redist};
    case FieldRule::E: return {kOff, kOff, {true, kWide}, kOff, redist};
    case FieldRule::F: return {kOff, kOff, {true, kAsciiOnly}, kOff, redist};
    }
    return {kOff, kOff, kOff, kOff, redist};
}

const FormatButton* ButtonForFormat(int32_t format)
{
    if (format == FORMAT_LOCAL_FILE) format = FORMAT_DOCOMO;
    for (const FormatButton& b : kFormatButtons) {
        if (b.format == format) return &b;
    }
    return nullptr;
}

const FormatButton* ButtonForId(int id)
{
    for (const FormatButton& b : kFormatButtons) {
        if (b.id == id) return &b;
    }
    return nullptr;
}

int32_t FormatFromChecked(const bool checked[kFormatButtonCount])
{
    for (int i = 0; i < kFormatButtonCount; ++i) {
        if (checked[i]) return kFormatButtons[i].format;
    }
    return 0;
}

KindFormats FormatsForKind(int32_t kind)
{
    // Bit f set: format f accepts the kind (what the vNote writer takes per format).
    unsigned mask;
    int32_t forced = 0;
    switch (kind) {
    case MEDIA_JPEG: mask = 0x1FE; break;
    case MEDIA_MOVIE: mask = 0x01E; break;
    case MEDIA_GIF: mask = 0x13E; break;
    case MEDIA_BMP: mask = 0x020; forced = FORMAT_P504I; break;
    case MEDIA_IMELODY: mask = 0x03E; break;
    case MEDIA_SMF: mask = 0x01E; break;
    default:
        KindFormats all{false, {}, 0};
        for (bool& e : all.enabled) e = true;
        return all;
    }
    KindFormats out{true, {}, forced};
    for (int i = 0; i < kFormatButtonCount; ++i) {
        out.enabled[i] = (mask >> kFormatButtons[i].format) & 1;
    }
    return out;
}

const char* RefusalForEntries(int32_t format, const char* title, const char* summary,
                              const char* fileName)
{
    bool needSummary = false, needTitle = false, needFileName = false, doubleByte = false;
    switch (format) {
    case FORMAT_DOCOMO: needSummary = needFileName = true; break;
    case FORMAT_NEC:
    case FORMAT_P2102V: needSummary = needFileName = doubleByte = true; break;
    case FORMAT_FUJITSU: needTitle = true; break;
    case FORMAT_JN51_JPEG:
    case FORMAT_JN51_DCF: needFileName = doubleByte = true; break;
    case FORMAT_DIRECT: needFileName = true; break;
    default: return nullptr;
    }
    if (needSummary && Empty(summary)) return kNeedSummary;
    if (needFileName && Empty(fileName)) return kNeedFileName;
    if (needTitle && Empty(title)) return kNeedTitle;
    if (needFileName && !FileNameCharactersOk(fileName, doubleByte)) return kBadFileName;
    return nullptr;
}

bool FileNameCharactersOk(const char* name, bool doubleByteAllowed)
{
    for (const unsigned char* p = (const unsigned char*)name; *p; ++p) {
        if (doubleByteAllowed && IsAnsiLeadByte(*p)) {
            if (!p[1]) return false;  // half a character: never a name the edit would give
            ++p;
        } else if (!PlainFileNameByte(*p)) {
            return false;
        }
    }
    return true;
}

std::string FitAnsiText(const std::string& text, size_t maxBytes)
{
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = IsAnsiLeadByte((unsigned char)text[end]) ? 2 : 1;
        if (end + step > maxBytes || end + step > text.size()) break;
        end += step;
    }
    return text.substr(0, end);
}

bool PickerSeconds(const CalendarTime& date, const CalendarTime& timeOfDay, int32_t* seconds)
{
    CalendarTime shown = date;
    shown.hour = timeOfDay.hour;
    shown.minute = timeOfDay.minute;
    shown.second = timeOfDay.second;
    return LocalCalendarToSeconds(shown, seconds);
}

std::unique_ptr<MediaObject> BuildSentObject(const MediaObject& current, const SendSettings& sent)
{
    std::unique_ptr<MediaObject> o(new MediaObject);
    o->SetKind(current.GetKind());
    o->SetFormat(sent.format);
    if (sent.title[0]) o->SetTitle(sent.title);
    if (sent.summary[0]) o->SetSummary(sent.summary);
    if (sent.fileName[0]) o->SetFileName(sent.fileName);
    o->SetPosition(current.GetPosition());
    o->SetTime(sent.time);
    o->SetRedistributionForbidden(sent.redistributionForbidden);
    o->SetBody(current.GetBody(), current.GetBodyLength());
    return o;
}
