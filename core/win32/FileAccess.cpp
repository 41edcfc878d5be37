#include "core/FileAccess.h"

#include <windows.h>

FileReadStatus ReadWholeFile(const char* path, uint32_t minSize, uint32_t maxSize, FileContents* out)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FileReadStatus::OpenFailed;

    FileReadStatus status = FileReadStatus::Ok;
    DWORD high = 0;
    DWORD low = GetFileSize(h, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        status = FileReadStatus::ReadFailed;
    } else {
        out->size = ((uint64_t)high << 32) | low;
        if (out->size > maxSize) status = FileReadStatus::TooLarge;
    }
    if (status == FileReadStatus::Ok && out->size >= minSize) {
        try {
            out->bytes.resize(low);
        } catch (const std::bad_alloc&) {
            status = FileReadStatus::ReadFailed;
        }
        DWORD done = 0;
        while (status == FileReadStatus::Ok && done < low) {
            DWORD got = 0;
            if (!ReadFile(h, out->bytes.data() + done, low - done, &got, nullptr) || got == 0)
                status = FileReadStatus::ReadFailed;
            done += got;
        }
        FILETIME write, local;
        SYSTEMTIME st;
        if (status == FileReadStatus::Ok && GetFileTime(h, nullptr, nullptr, &write) &&
            FileTimeToLocalFileTime(&write, &local) && FileTimeToSystemTime(&local, &st)) {
            out->lastWriteLocal = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
        }
    }
    CloseHandle(h);
    if (status != FileReadStatus::Ok) out->bytes.clear();
    return status;
}
