#include "cli/Media.h"

#include <cstdio>

#include "app/FileRules.h"
#include "app/SendSettingsRules.h"
#include "cli/Platform.h"

namespace {

std::string Printf(const char* pattern, const char* a, const char* b = "")
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// The refusal of a text for an edit that holds at most `limit` bytes, led by its option; empty
// when it fits.
std::string TooLong(const char* option, const std::string& text, size_t limit, const char* what)
{
    if (text.size() <= limit) return "";
    char line[256];
    std::snprintf(line, sizeof line, "%s: %sは%dバイトまでです (%d バイトあります)。", option, what,
                  (int)limit, (int)text.size());
    return line;
}

}  // namespace

FileReadStatus ReadInput(const std::string& path, uint32_t minSize, uint32_t maxSize,
                         FileContents* out, std::string* message)
{
    if (path == "-") {
        SetBinary(stdin);
        char buffer[65536];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, stdin)) {
            out->size += n;
            if (out->size > maxSize) return FileReadStatus::TooLarge;
            out->bytes.insert(out->bytes.end(), buffer, buffer + n);
        }
        if (std::ferror(stdin)) return FileReadStatus::ReadFailed;
        if (out->size < minSize) out->bytes.clear();
        return FileReadStatus::Ok;
    }
    const FileReadStatus status = ReadLocalFile(path, minSize, maxSize, out);
    if (status == FileReadStatus::OpenFailed) {
        switch (ExaminePath(path)) {
        case PathState::Missing: *message = "ファイルがありません。"; break;
        case PathState::Directory: *message = "フォルダです。ファイルを指定してください。"; break;
        case PathState::Denied: *message = "読み取りの権限がありません。"; break;
        case PathState::Other: break;
        }
    }
    return status;
}

int LoadMedia(const std::string& path, LocalMedia* media, std::string* message)
{
    FileContents file;
    std::string cause;
    const FileReadStatus status = ReadInput(path, kMinMediaFile, kMaxMediaBody, &file, &cause);
    // Named in the messages and giving the file name as the program spells texts; a character
    // without a Shift_JIS form shows as '?'.
    std::string ansiPath;
    const bool named = path != "-" && FromArgument(path, &ansiPath);
    media->object = MediaObjectFromFile(status, file, ansiPath.c_str(), message);
    if (!media->object) {
        if (!cause.empty()) *message = cause;
        return kExitNoInput;
    }
    media->fileName = named ? FileNameFromPath(ansiPath.c_str()) : "";
    if (!named) {
        media->object->SetFileName("");
        media->nameLost = path != "-";
    }
    const int32_t kind = media->object->GetKind();
    if (kind == MEDIA_JPEG || kind == MEDIA_GIF || kind == MEDIA_BMP) {
        // File > Open refuses a picture the view cannot show.
        try {
            media->picture = std::make_unique<Zorvex::ImageManager>(
                media->object->GetBody(), media->object->GetBodyLength());
        } catch (const ImageManagerException&) {
            media->object.reset();
            *message = "対応していないデータ形式です。";
            return kExitRefused;
        }
    }
    return 0;
}

int LoadSendJob(const std::string& path, const SendEntries& entries, SendJob* job,
                std::string* message, LocalMedia* loaded)
{
    LocalMedia own;
    LocalMedia& media = loaded ? *loaded : own;
    if (const int status = LoadMedia(path, &media, message)) return status;
    const int32_t kind = media.object->GetKind();
    if (!FormatAccepts(entries.format, kind)) {
        *message = Printf("--format: %s は %s では送信できません。", MediaKindLabel(kind),
                          PhoneFormatLabel(entries.format));
        return kExitRefused;
    }
    // The file's own name stands in for --name: a refusal of it says where it came from.
    const std::string shownName = entries.fileName ? *entries.fileName : media.fileName;
    const std::string ownName =
        entries.fileName ? "" : "(ファイルの名前〝" + shownName + "〟。--name で指定できます)";
    const bool usesName = FormatCarries(entries.format, ENTRY_FILE_NAME);
    std::string refusal = TooLong("--title", entries.title.value_or(""), kMaxTitleBytes, "タイトル");
    if (refusal.empty()) {
        refusal = TooLong("--summary", entries.summary.value_or(""), kMaxSummaryBytes, "サマリー");
    }
    // A name given is held to its edit's limit as before; the file's own only where it is used.
    if (refusal.empty() && shownName.size() > kMaxMediaFileName && (entries.fileName || usesName)) {
        refusal = TooLong("--name", shownName, kMaxMediaFileName, "ファイル名") + ownName;
    }
    if (refusal.empty() && usesName && media.nameLost && !entries.fileName) {
        refusal = "--name: ファイルの名前を Shift_JIS で表せません。--name で指定してください。";
    }
    const char* rule = refusal.empty() ? PrepareSend(*media.object, entries, job) : nullptr;
    // kEntryRefusals' order: summary, file name, title, file name characters.
    static const char* const kOptions[kEntryRefusalCount] = {"--summary", "--name", "--title",
                                                             "--name"};
    for (int i = 0; rule && i < kEntryRefusalCount; ++i) {
        if (rule != kEntryRefusals[i]) continue;
        refusal = std::string(kOptions[i]) + ": " + rule + (i == 3 ? ownName : "");
    }
    if (rule && refusal.empty()) refusal = rule;
    if (refusal.empty()) return 0;
    *message = refusal;
    return kExitRefused;
}
