#include "app/win32/FolderPicker.h"

#include <shlobj.h>

#include "app/win32/UserStore.h"

namespace {

// Starts the picker at the remembered folder.
int CALLBACK StartAt(HWND picker, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED && data) SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

}  // namespace

std::optional<std::string> ChooseReceiveFolder(HWND owner)
{
    const std::optional<std::string> last = UserStore::LoadReceiveFolder();
    char name[MAX_PATH] = "";
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = name;
    info.lpszTitle = "受信したデータを保存するフォルダを選んでください。";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = StartAt;
    info.lParam = last ? (LPARAM)last->c_str() : 0;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
    if (!chosen) return std::nullopt;
    char path[MAX_PATH] = "";
    const bool named = SHGetPathFromIDListA(chosen, path) && path[0];
    CoTaskMemFree(chosen);
    if (!named) return std::nullopt;
    UserStore::StoreReceiveFolder(path);
    return std::string(path);
}

