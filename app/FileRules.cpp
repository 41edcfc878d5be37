#include "app/FileRules.h"

#include <cstring>

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
