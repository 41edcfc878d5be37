// Linux stand-in: the program's paths are Shift_JIS, the file system's are UTF-8.
#include "core/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <new>

#include "core/CodePage.h"
#include "core/posix/NativeFile.h"

namespace {

std::string ToUtf8(const char* ansi)
{
    std::u16string w = AnsiToUtf16(ansi, std::char_traits<char>::length(ansi));
    std::string out;
    for (size_t i = 0; i < w.size(); ++i) {
        uint32_t c = w[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (w[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xF0 | (c >> 18));
            out += (char)(0x80 | ((c >> 12) & 0x3F));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

FileReadStatus ReadWholeFile(const char* path, uint32_t minSize, uint32_t maxSize, FileContents* out)
{
    return ReadWholeNativeFile(ToUtf8(path).c_str(), minSize, maxSize, out);
}

FileReadStatus ReadWholeNativeFile(const char* path, uint32_t minSize, uint32_t maxSize,
                                   FileContents* out)
{
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FileReadStatus::OpenFailed;
    struct stat st;
    FileReadStatus status = FileReadStatus::Ok;
    if (fstat(fd, &st) != 0) {
        status = FileReadStatus::ReadFailed;
    } else if (S_ISDIR(st.st_mode)) {
        status = FileReadStatus::OpenFailed;  // as CreateFile refuses a folder
    } else {
        out->size = (uint64_t)st.st_size;
        if (out->size > maxSize) status = FileReadStatus::TooLarge;
    }
    if (status == FileReadStatus::Ok && out->size >= minSize) {
        try {
            out->bytes.resize((size_t)out->size);
        } catch (const std::bad_alloc&) {
            status = FileReadStatus::ReadFailed;
        }
        size_t done = 0;
        while (status == FileReadStatus::Ok && done < out->bytes.size()) {
            ssize_t got = read(fd, out->bytes.data() + done, out->bytes.size() - done);
            if (got <= 0) status = FileReadStatus::ReadFailed;
            else done += (size_t)got;
        }
        std::tm tm;
        time_t t = st.st_mtime;
        if (status == FileReadStatus::Ok && localtime_r(&t, &tm)) {
            out->lastWriteLocal = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                                   tm.tm_hour, tm.tm_min, tm.tm_sec};
        }
    }
    close(fd);
    if (status != FileReadStatus::Ok) out->bytes.clear();
    return status;
}
