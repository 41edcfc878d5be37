#include "core/MediaObject.h"

#include <cstdio>
#include <cstring>

#include "core/CodePage.h"
#include "core/FileAccess.h"
#include "core/TimeConv.h"

namespace {
const char kUnexpected[] = "(予期しない値です)";
}

const char* MediaKindLabel(int32_t kind)
{
    switch (kind) {
    case MEDIA_UNKNOWN: return "不明";
    case MEDIA_JPEG: return "JPEG";
    case MEDIA_MOVIE: return "MP4";
    case MEDIA_GIF: return "GIF";
    case MEDIA_BMP: return "BMP";
    case MEDIA_IMELODY: return "ｉメロディ";
    case MEDIA_SMF: return "標準MIDIファイル";
    case MEDIA_VCARD: return "vCard";
    default: return kUnexpected;
    }
}

const char* PhoneFormatLabel(int32_t format)
{
    switch (format) {
    case FORMAT_UNKNOWN: return "不明";
    case FORMAT_DOCOMO: return "NTTドコモ標準";
    case FORMAT_NEC: return "FOMA N2051/N2701";
    case FORMAT_FUJITSU: return "FOMA F2051/F2102V";
    case FORMAT_P2102V: return "FOMA P2102V";
    case FORMAT_P504I: return "mova P504i/iS";
    case FORMAT_JN51_JPEG: return "J-N51(JPEG)";
    case FORMAT_JN51_DCF: return "J-N51(デジカメ)";
    case FORMAT_DIRECT: return "ダイレクト";
    case FORMAT_LOCAL_FILE: return "ローカルファイル";
    default: return kUnexpected;
    }
}

void MediaObject::SetFileName(const char* text)
{
    if (text && std::strlen(text) <= kMaxMediaFileName) {
        fileName_ = text;
        hasFileName_ = true;
    } else {
        fileName_.clear();
        hasFileName_ = false;
    }
}

int32_t DetectMediaKind(const uint8_t* b, uint32_t length)
{
    if (length >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return MEDIA_JPEG;
    if (length >= 3 && std::memcmp(b, "GIF", 3) == 0) return MEDIA_GIF;
    if (length >= 2 && std::memcmp(b, "BM", 2) == 0) return MEDIA_BMP;
    if (length >= 5 && std::memcmp(b, "melo\0", 5) == 0) return MEDIA_IMELODY;
    if (length >= 5 && std::memcmp(b, "MThd\0", 5) == 0) return MEDIA_SMF;
    return MEDIA_MOVIE;
}

bool ContentMatchesKind(int32_t kind, const uint8_t* b, uint32_t length)
{
    switch (kind) {
    case MEDIA_JPEG: return length >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
    case MEDIA_GIF: return length >= 4 && std::memcmp(b, "GIF8", 4) == 0;
    case MEDIA_BMP: return length >= 2 && std::memcmp(b, "BM", 2) == 0;
    case MEDIA_MOVIE: {
        // The size counts the 8-byte box header, the major brand and the minor version.
        if (length < 16 || std::memcmp(b + 4, "ftyp", 4) != 0) return false;
        const uint32_t size = (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3];
        return size >= 16 && size <= length;
    }
    default: return true;
    }
}

std::string FileNameFromPath(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (IsAnsiLeadByte((unsigned char)*p)) {
            if (!p[1]) break;  // a lone lead byte at the end
            ++p;
            continue;
        }
        if (*p == '\\' || *p == '/') name = p + 1;
    }
    return name;
}

std::unique_ptr<MediaObject> LoadMediaFile(const char* path, std::string* error)
{
    FileContents file;
    const FileReadStatus status = ReadWholeFile(path, kMinMediaFile, kMaxMediaBody, &file);
    return MediaObjectFromFile(status, file, path, error);
}

std::unique_ptr<MediaObject> MediaObjectFromFile(FileReadStatus status, FileContents& file,
                                                 const char* path, std::string* error)
{
    switch (status) {
    case FileReadStatus::OpenFailed: {
        const char* fmt = "指定されたファイル〝%s〟のオープンに失敗しました。";
        std::string msg(std::strlen(fmt) + std::strlen(path), '\0');
        int n = std::snprintf(&msg[0], msg.size() + 1, fmt, path);
        msg.resize(n > 0 ? (size_t)n : 0);
        *error = msg;
        return nullptr;
    }
    case FileReadStatus::TooLarge:
        *error = "ファイルが大きすぎます。";
        return nullptr;
    case FileReadStatus::ReadFailed:
        *error = "ファイルの読み出しに失敗しました。";
        return nullptr;
    case FileReadStatus::Ok:
        break;
    }
    if (file.size < kMinMediaFile) {
        *error = "ファイルが不正です。";
        return nullptr;
    }

    int32_t time = 0;
    if (!LocalCalendarToSeconds(file.lastWriteLocal, &time)) time = 0;

    auto object = std::make_unique<MediaObject>();
    object->SetKind(DetectMediaKind(file.bytes.data(), (uint32_t)file.bytes.size()));
    object->SetFormat(FORMAT_LOCAL_FILE);
    object->SetFileName(FileNameFromPath(path).c_str());
    object->SetTime(time);
    object->SetBody(std::move(file.bytes));
    return object;
}
