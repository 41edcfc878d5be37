#include "app/win32/MoviePlayback.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/win32/Dialog.h"

void OfferPlayback(HWND mainWindow, const MediaObject& movie)
{
    char directory[MAX_PATH];
    char unique[MAX_PATH];
    if (!GetTempPathA(sizeof directory, directory)) return;
    if (!GetTempFileNameA(directory, "zvx", 0, unique)) return;
    // The unique-name service made this empty file: it reserves the name, so it stays until the
    // movie file beside it exists.
    struct Reservation {
        const char* path;
        ~Reservation() { DeleteFileA(path); }
    } reservation{unique};
    if (strlen(unique) + 5 > MAX_PATH) return;
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s.3gp", unique);
    // Made anew: a file or link that someone placed at this name is never followed or replaced.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    auto discard = [&] {
        CloseHandle(file);
        DeleteFileA(path);
    };
    char player[MAX_PATH];
    if ((INT_PTR)FindExecutableA(path, nullptr, player) < 32) return discard();
    if (MessageBoxA(mainWindow, "受信した映像を外部ソフトウェアを起動して再生しますか？",
                    "映像再生の確認", MB_YESNO | MB_ICONINFORMATION) != IDYES) {
        return discard();
    }
    DWORD written = 0;
    if (!WriteFile(file, movie.GetBody(), movie.GetBodyLength(), &written, nullptr) ||
        written < movie.GetBodyLength()) {
        Warn(mainWindow, "一時ファイルの作成に失敗しました。", "映像再生");
        return discard();
    }
    CloseHandle(file);
    // The file stays: the player may still be reading it. The next clean-up removes it.
    if ((INT_PTR)ShellExecuteA(mainWindow, "open", path, nullptr, nullptr, SW_SHOWNORMAL) < 32) {
        Warn(mainWindow, "再生する外部ソフトウェアの起動に失敗しました。", "映像再生");
    }
}

void DeleteTemporaryMovies()
{
    char dir[MAX_PATH];
    DWORD n = GetTempPathA(sizeof dir, dir);
    if (n == 0 || n + 13 > MAX_PATH) return;
    std::string pattern = std::string(dir) + "zvx*.tmp.3gp";
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(pattern.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA((std::string(dir) + found.cFileName).c_str());
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}
