// Linux stand-in: the program's paths are Shift_JIS, the file system's are UTF-8.
#include "core/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <new>

#include "core/CodePage.h"
#include "core/posix/NativeFile.h"

FileReadStatus ReadWholeFile(const char* path, uint32_t minSize, uint32_t maxSize, FileContents* out)
{
    return ReadWholeNativeFile(AnsiToUtf8(path).c_str(), minSize, maxSize, out);
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
