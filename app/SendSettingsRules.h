// What a send allows and refuses, for the send settings dialog and zvx alike: which fields each
// phone format uses, which formats each media kind can be sent in, the checks at Send, the job
// they make, and the object that a successful send leaves current.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/TimeConv.h"
#include "formats/PhoneFormats.h"
#include "formats/VNoteWriter.h"

class MediaObject;

struct FieldState {
    bool enabled;
    const char* hint;
};

struct FieldStates {
    FieldState title, summary, fileName, date, redistribution;
};

// The fields a format uses (formats/PhoneFormats.h), and the hint beside each.
FieldStates StatesForFormat(int32_t format);

struct FormatButton {
    int id;
    int32_t format;
};
constexpr int kFormatButtonCount = 8;
// In format order, as Send looks for the checked one: 1000 1001 1002 1009 1008 1020 1021 1012.
extern const FormatButton kFormatButtons[kFormatButtonCount];

// The button of a format (a local file counts as docomo standard); nullptr for an unknown code.
const FormatButton* ButtonForFormat(int32_t format);
// The button with this control id, or nullptr.
const FormatButton* ButtonForId(int id);

// The format of the first checked button (`checked` in table order), 0 when none is checked.
int32_t FormatFromChecked(const bool checked[kFormatButtonCount]);

// Which formats an object of `kind` can be sent in. Unknown kinds (and 5) leave every format
// enabled and are reported. A kind only one format takes (BMP: P504i) forces that format.
struct KindFormats {
    bool known;
    bool enabled[kFormatButtonCount];  // table order
    int32_t forcedFormat;              // 0, or the format to select instead of the object's
};
KindFormats FormatsForKind(int32_t kind);

extern const char kUnexpectedFormatMessage[];  // "予期しないフォーマットです。"
extern const char kUnexpectedKindMessage[];    // "予期しないタイプです。"
extern const char kNoFormatCheckedMessage[];
extern const char kNothingToSendMessage[];

// The refusal of the entries for `format` in the order the user is told about them, or nullptr
// when they may be sent.
const char* RefusalForEntries(int32_t format, const char* title, const char* summary,
                              const char* fileName);
// Every refusal RefusalForEntries can give (the manual explains each).
constexpr int kEntryRefusalCount = 4;
extern const char* const kEntryRefusals[kEntryRefusalCount];

// Letters, digits, '-', '.' and '_'; where allowed, a double-byte character of the ANSI code
// page too. A name that ends in a lone lead byte is refused.
bool FileNameCharactersOk(const char* name, bool doubleByteAllowed);

// At most `maxBytes` of `text`, never ending in half a double-byte character.
std::string FitAnsiText(const std::string& text, size_t maxBytes);

// The instant shown by the pickers: the date picker's day and the time picker's time of day,
// as local time (daylight-saving flag 0).
bool PickerSeconds(const CalendarTime& date, const CalendarTime& timeOfDay, int32_t* seconds);

// The user's entries for a send: the send settings dialog's fields, or zvx's options. Texts are
// Shift_JIS. Not given: no title or summary, the object's own file name, its time (the current
// time when it has none, as the pickers start), its redistribution flag.
struct SendEntries {
    int32_t format = 0;  // PhoneFormat, 1 to 8
    std::optional<std::string> title, summary, fileName;
    std::optional<int32_t> time;  // seconds since 1970 UTC
    std::optional<int32_t> redistributionForbidden;
};

// The job a send of `object` with `entries` runs: nullptr with `job` made (its picture is the
// caller's to set), or the refusal RefusalForEntries gives. Whether the format takes the kind is
// the caller's: the dialog offers only the formats that do, and the writer refuses the others.
const char* PrepareSend(const MediaObject& object, const SendEntries& entries, SendJob* job);

// The object a successful send leaves current: the current kind, position and a copy of the
// body with the format, texts (only non-empty ones), time and flag that were sent.
std::unique_ptr<MediaObject> BuildSentObject(const MediaObject& current, const SendEntries& sent);
