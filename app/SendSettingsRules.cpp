#include "app/SendSettingsRules.h"

#include <ctime>

#include "core/CodePage.h"
#include "core/MediaObject.h"
#include "res/resource.h"

const char kUnexpectedFormatMessage[] = "予期しないフォーマットです。";
const char kUnexpectedKindMessage[] = "予期しないタイプです。";
const char kNoFormatCheckedMessage[] = "フォーマットのチェックを確認できません。";
const char kNothingToSendMessage[] = "送信対象のデータがありません。";

const FormatButton kFormatButtons[kFormatButtonCount] = {
    {IDC_FMT_DOCOMO, FORMAT_DOCOMO},
    {IDC_FMT_NEC, FORMAT_NEC},
    {IDC_FMT_FUJITSU, FORMAT_FUJITSU},
    {IDC_FMT_P2102V, FORMAT_P2102V},
    {IDC_FMT_P504I, FORMAT_P504I},
    {IDC_FMT_JN51_JPEG, FORMAT_JN51_JPEG},
    {IDC_FMT_JN51_DCF, FORMAT_JN51_DCF},
    {IDC_FMT_DIRECT, FORMAT_DIRECT},
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

FieldStates StatesForFormat(int32_t format)
{
    const PhoneFormatInfo* f = FindPhoneFormat(format);
    const auto field = [f](unsigned entry, const char* hint) {
        return f && (f->entries & entry) ? FieldState{true, hint} : kOff;
    };
    return {field(ENTRY_TITLE, kWide), field(ENTRY_SUMMARY, kWide),
            field(ENTRY_FILE_NAME, f && f->doubleByteName ? kWide : kAsciiOnly),
            field(ENTRY_DATE, kSavedTime), {false, kAlwaysAllowed}};
}

const FormatButton* ButtonForFormat(int32_t format)
{
    if (format == FORMAT_LOCAL_FILE) format = FORMAT_DOCOMO;
    return format >= 1 && format <= kFormatButtonCount ? &kFormatButtons[format - 1] : nullptr;
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
    KindFormats out{false, {}, 0};
    int count = 0;
    for (int i = 0; i < kFormatButtonCount; ++i) {
        out.enabled[i] = FormatAccepts(kFormatButtons[i].format, kind);
        if (out.enabled[i] && ++count == 1) out.forcedFormat = kFormatButtons[i].format;
    }
    out.known = count > 0;
    if (count != 1) out.forcedFormat = 0;
    if (!out.known) {
        for (bool& e : out.enabled) e = true;
    }
    return out;
}

const char* RefusalForEntries(int32_t format, const char* title, const char* summary,
                              const char* fileName)
{
    const PhoneFormatInfo* f = FindPhoneFormat(format);
    if (!f) return nullptr;
    const bool needFileName = f->entries & ENTRY_FILE_NAME;
    if ((f->entries & ENTRY_SUMMARY) && Empty(summary)) return kNeedSummary;
    if (needFileName && Empty(fileName)) return kNeedFileName;
    if ((f->entries & ENTRY_TITLE) && Empty(title)) return kNeedTitle;
    if (needFileName && !FileNameCharactersOk(fileName, f->doubleByteName)) return kBadFileName;
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

const char* PrepareSend(const MediaObject& object, const SendEntries& entries, SendJob* job)
{
    const std::string title = entries.title.value_or("");
    const std::string summary = entries.summary.value_or("");
    const std::string fileName =
        entries.fileName.value_or(object.GetFileName() ? object.GetFileName() : "");
    if (const char* refusal =
            RefusalForEntries(entries.format, title.c_str(), summary.c_str(), fileName.c_str())) {
        return refusal;
    }
    int32_t time = entries.time.value_or(object.GetTime());
    if (time == 0) {
        // The pickers start at the current time, read back as local time like any other.
        CalendarTime now;
        if (!SecondsToLocalCalendar((int32_t)std::time(nullptr), &now) ||
            !LocalCalendarToSeconds(now, &time)) {
            time = (int32_t)std::time(nullptr);
        }
    }
    job->Reset();
    job->kind = object.GetKind();
    job->format = entries.format;
    job->body.assign(object.GetBody(), object.GetBody() + object.GetBodyLength());
    job->title = title;
    job->summary = summary;
    job->fileName = fileName;
    job->time = time;
    job->redistributionForbidden =
        entries.redistributionForbidden.value_or(object.GetRedistributionForbidden());
    return nullptr;
}

std::unique_ptr<MediaObject> BuildSentObject(const MediaObject& current, const SendEntries& sent)
{
    std::unique_ptr<MediaObject> o(new MediaObject);
    o->SetKind(current.GetKind());
    o->SetFormat(sent.format);
    if (sent.title && !sent.title->empty()) o->SetTitle(sent.title->c_str());
    if (sent.summary && !sent.summary->empty()) o->SetSummary(sent.summary->c_str());
    if (sent.fileName && !sent.fileName->empty()) o->SetFileName(sent.fileName->c_str());
    o->SetPosition(current.GetPosition());
    o->SetTime(sent.time.value_or(0));
    o->SetRedistributionForbidden(sent.redistributionForbidden.value_or(0));
    o->SetBody(current.GetBody(), current.GetBodyLength());
    return o;
}
