// Saving into a folder on Windows: ANSI paths, names converted from the program's code page
// without best fit.
#include "app/FolderFiles.h"

#include <windows.h>

#include "app/win32/Win32Time.h"

namespace {

constexpr UINT kProgramCodePage = 932;  // the program's texts

std::wstring Widen(const std::string& text)
{
    if (text.empty()) return L"";
    const int n = MultiByteToWideChar(kProgramCodePage, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, text.data(), (int)text.size(), &wide[0], n);
    return wide;
}

}  // namespace

bool NameFits(const std::string& name) { return Widen(name).size() <= 255; }

std::string PathInDirectory(const std::string& dir, const std::string& name)
{
    const bool separated = !dir.empty() && (dir.back() == '\\' || dir.back() == '/');
    // Never best fit: a full-width "．．＼" must not become "..\". A character the system's code
    // page lacks becomes '_', which is safe in a name.
    const std::wstring wide = Widen(name);
    std::string narrow;
    if (!wide.empty()) {
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(),
                                          nullptr, 0, "_", nullptr);
        narrow.assign((size_t)n, '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), (int)wide.size(), &narrow[0],
                            n, "_", nullptr);
    }
    return dir + (separated ? "" : "\\") + narrow;
}

std::string WriteTemporary(const std::string& dir, const std::vector<uint8_t>& bytes, int32_t time)
{
    char path[MAX_PATH];
    if (!GetTempFileNameA(dir.c_str(), "zvx", 0, path)) return "";
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
              written == bytes.size();
    if (ok && time != 0) {
        const FILETIME lastWrite = ToFileTime(time);
        SetFileTime(file, nullptr, nullptr, &lastWrite);
    }
    ok = ok && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) DeleteFileA(path);
    return ok ? path : "";
}

PlaceResult PlaceFile(const std::string& temporary, const std::string& path)
{
    if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return PlaceResult::Placed;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? PlaceResult::Exists
                                                                       : PlaceResult::Failed;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }
