// File dialogs' filters and the naming rules of File > Save, per media kind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class MediaObject;

// Longest path the save dialog's buffer holds (bytes, without the terminating NUL).
constexpr size_t kMaxSavePath = 260;

struct SaveRule {
    int32_t kind;
    const char* filterDescription;
    const char* filterPattern;
    const char* keptEndings[2];  // second may be nullptr
    const char* appended;
};

// The rule for a kind, or nullptr when objects of that kind cannot be saved.
const SaveRule* SaveRuleForKind(int32_t kind);

// Double-NUL-terminated filter lists for the common file dialogs.
std::string OpenFilter();
std::string SaveFilter(const SaveRule& rule);

// ASCII case-insensitive suffix test. The endings are dot-led ASCII; a '.' can never be the
// trail byte of a Shift_JIS character, so a byte-wise tail match is also a character match.
bool EndsWithNoCase(const std::string& name, const char* ending);

// The name the save dialog starts with: the object's file name made safe (SafeFileName), or
// empty. The information dialog still shows the name as it came.
std::string InitialSaveName(const MediaObject& object);

enum class SaveNameStatus { Ok, TooLong };

// Keeps `chosen` when it ends with one of the rule's endings, else appends the rule's extension.
SaveNameStatus FinalSaveName(const std::string& chosen, const SaveRule& rule, std::string* out);

// The files named on the program's command line ("Open with", a SendTo shortcut): separated by
// spaces or tabs, a double-quoted part taken as it is. A quote never occurs in a file name, and
// no Shift_JIS trail byte is a quote, space or tab.
std::vector<std::string> CommandLinePaths(const char* line);

// The last part of a path, after its last '\\' or '/' (whole Shift_JIS characters: the trail
// byte of 表 is not a separator).
std::string PathLeaf(const std::string& path);

// Only the first of several dropped files is opened; this names the rest: the first
// kMaxNamedFiles by their leaf, a count for any beyond.
constexpr size_t kMaxNamedFiles = 10;
extern const char kNotOpenedCaption[];
std::string NotOpenedMessage(const std::vector<std::string>& rest);
