#include "app/FileRules.h"

#include <cstdio>
#include <cstring>

#include "core/CodePage.h"
#include "core/MediaObject.h"
#include "core/SafeName.h"

namespace {

const SaveRule kSaveRules[] = {
    {MEDIA_JPEG, "画像ファイル(*.jpg;*.jpeg)", "*.jpg;*.jpeg", {".jpg", ".jpeg"}, ".jpg"},
    {MEDIA_MOVIE, "映像ファイル(*.3gp)", "*.3gp", {".3gp", nullptr}, ".3gp"},
    {MEDIA_GIF, "画像ファイル(*.gif)", "*.gif", {".gif", nullptr}, ".gif"},
    {MEDIA_BMP, "画像ファイル(*.bmp)", "*.bmp", {".bmp", nullptr}, ".bmp"},
    {MEDIA_IMELODY, "音楽ファイル(*.mld)", "*.mld", {".mld", nullptr}, ".mld"},
    {MEDIA_SMF, "音楽ファイル(*.mid;*.smf)", "*.mid;*.smf", {".mid", ".smf"}, ".mid"},
};

void AddFilter(std::string& out, const char* description, const char* pattern)
{
    out.append(description);
    out.push_back('\0');
    out.append(pattern);
    out.push_back('\0');
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

}  // namespace

const SaveRule* SaveRuleForKind(int32_t kind)
{
    for (const SaveRule& rule : kSaveRules) {
        if (rule.kind == kind) return &rule;
    }
    return nullptr;
}

std::string OpenFilter()
{
    std::string f;
    AddFilter(f, "画像ファイル(*.jpg;*.jpeg;*.bmp;*.gif)", "*.jpg;*.jpeg;*.bmp;*.gif");
    AddFilter(f, "映像ファイル(*.3gp)", "*.3gp");
    AddFilter(f, "音楽ファイル(*.mld;*.mid;*.smf)", "*.mld;*.mid;*.smf");
    f.push_back('\0');
    return f;
}

std::string SaveFilter(const SaveRule& rule)
{
    std::string f;
    AddFilter(f, rule.filterDescription, rule.filterPattern);
    f.push_back('\0');
    return f;
}

bool EndsWithNoCase(const std::string& name, const char* ending)
{
    const size_t n = std::strlen(ending);
    if (name.size() < n) return false;
    const char* tail = name.c_str() + name.size() - n;
    for (size_t i = 0; i < n; ++i) {
        if (AsciiLower(tail[i]) != AsciiLower(ending[i])) return false;
    }
    return true;
}

std::string InitialSaveName(const MediaObject& object)
{
    // A phone chose this name: the dialog must not start in another folder, on a share or at a
    // device. The safe name is far shorter than a path.
    const char* name = object.GetFileName();
    return name ? SafeFileName(name) : std::string();
}

SaveNameStatus FinalSaveName(const std::string& chosen, const SaveRule& rule, std::string* out)
{
    for (const char* ending : rule.keptEndings) {
        if (ending && EndsWithNoCase(chosen, ending)) {
            *out = chosen;
            return SaveNameStatus::Ok;
        }
    }
    if (chosen.size() + std::strlen(rule.appended) > kMaxSavePath) return SaveNameStatus::TooLong;
    *out = chosen + rule.appended;
    return SaveNameStatus::Ok;
}

const char kNotOpenedCaption[] = "ファイルを開く";

std::vector<std::string> CommandLinePaths(const char* line)
{
    std::vector<std::string> paths;
    std::string current;
    bool quoted = false;
    for (const char* p = line ? line : ""; *p; ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (!quoted && (*p == ' ' || *p == '\t')) {
            if (!current.empty()) paths.push_back(current);
            current.clear();
        } else {
            current.push_back(*p);
        }
    }
    if (!current.empty()) paths.push_back(current);
    return paths;
}

std::string PathLeaf(const std::string& path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = (unsigned char)path[i];
        if (IsAnsiLeadByte(c) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\' || c == '/') {
            start = i + 1;
        }
    }
    return path.substr(start);
}

std::string NotOpenedMessage(const std::vector<std::string>& rest)
{
    std::string text = "開いたのは最初のファイルだけです。次のファイルは開いていません。";
    for (size_t i = 0; i < rest.size() && i < kMaxNamedFiles; ++i) text += "\n" + PathLeaf(rest[i]);
    if (rest.size() > kMaxNamedFiles) {
        char more[48];
        std::snprintf(more, sizeof more, "\nほか %u 個", (unsigned)(rest.size() - kMaxNamedFiles));
        text += more;
    }
    return text;
}
