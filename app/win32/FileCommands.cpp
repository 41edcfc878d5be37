#include "app/win32/FileCommands.h"

#include <commdlg.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/FileRules.h"
#include "app/ObjectInfo.h"
#include "app/win32/Dialog.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Win32Time.h"
#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "res/resource.h"

namespace {

// The file written whole beside `path`, then put in its place: a full disk or a failed write
// leaves a file the user agreed to replace as it was.
bool WriteObjectFile(const char* path, const MediaObject& object)
{
    const std::string name = FileNameFromPath(path);
    std::string folder(path, std::strlen(path) - name.size());
    if (folder.empty()) folder = ".";
    char temporary[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "zvx", 0, temporary)) return false;
    HANDLE h = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, object.GetBody(), object.GetBodyLength(), &written, nullptr);
    if (object.GetTime() != 0) {
        CalendarTime t;
        if (SecondsToLocalCalendar(object.GetTime(), &t)) {
            const SYSTEMTIME st = ToSystemTime(t);
            FILETIME local, utc;
            if (SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, &utc)) {
                SetFileTime(h, nullptr, nullptr, &utc);
            }
        }
    }
    ok = ok && written == object.GetBodyLength() && FlushFileBuffers(h);
    CloseHandle(h);
    ok = ok && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temporary);
    return ok != FALSE;
}

class InfoDialog : public ModalDialog {
public:
    explicit InfoDialog(const ObjectInfo& info) : info_(info) {}

private:
    BOOL OnInit() override
    {
        const struct {
            int id;
            const std::string& text;
        } fields[] = {
            {IDC_INFO_FORMAT, info_.format},     {IDC_INFO_KIND, info_.kind},
            {IDC_INFO_SIZE, info_.size},         {IDC_INFO_TITLE, info_.title},
            {IDC_INFO_SUMMARY, info_.summary},   {IDC_INFO_FILENAME, info_.fileName},
            {IDC_INFO_BODYSIZE, info_.bodySize}, {IDC_INFO_DATE, info_.date},
            {IDC_INFO_REDIST, info_.redistribution},
        };
        for (const auto& f : fields) SetDlgItemTextA(Handle(), f.id, f.text.c_str());
        return TRUE;
    }

    const ObjectInfo& info_;
};

// The settings both file dialogs share; the caller adds its own flags.
OPENFILENAMEA FileDialogSetup(HINSTANCE instance, HWND owner, const std::string& filter,
                              char* path, DWORD capacity, const char* title)
{
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = instance;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = capacity;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    return ofn;
}

}  // namespace

void OpenFileCommand(HINSTANCE instance, HWND main)
{
    char path[MAX_PATH] = "";
    const std::string filter = OpenFilter();
    OPENFILENAMEA ofn =
        FileDialogSetup(instance, main, filter, path, sizeof path, "ファイルを選択してください。");
    ofn.Flags |= OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&ofn)) {
        OpenFilePath(main, path);
        return;
    }
    InvalidateRect(main, nullptr, FALSE);
    UpdateWindow(main);
}

void OpenFilePath(HWND main, const char* path)
{
    std::string error;
    std::unique_ptr<MediaObject> object = LoadMediaFile(path, &error);
    if (!object) {
        Warn(main, error.c_str(), "ファイルアクセス");
        return;
    }
    if (!View::InstallObject(main, object)) {
        Warn(main, "対応していないデータ形式です。", "ファイルを開けません。");
        return;
    }
    InvalidateRect(main, nullptr, FALSE);
    UpdateWindow(main);
}

void OpenGivenFiles(HWND main, const std::vector<std::string>& paths)
{
    if (paths.empty()) return;
    OpenFilePath(main, paths[0].c_str());
    if (paths.size() == 1) return;
    const std::string rest = NotOpenedMessage({paths.begin() + 1, paths.end()});
    MessageBoxA(main, rest.c_str(), kNotOpenedCaption, MB_OK | MB_ICONINFORMATION);
}

void SaveFileCommand(HINSTANCE instance, HWND main)
{
    // Held across the modal dialog: an object received meanwhile replaces the view's, not this.
    const std::shared_ptr<const MediaObject> object = View::CurrentObject();
    if (!object) {
        Warn(main, "保存する対象がありません。", "ファイルの保存");
        return;
    }
    const SaveRule* rule = SaveRuleForKind(object->GetKind());
    if (!rule) {
        Warn(main, "予期しない形式を検出しました。", kAppCaption);
        return;
    }
    char name[kMaxSavePath + 1] = "";
    const std::string initial = InitialSaveName(*object);
    std::memcpy(name, initial.c_str(), initial.size() + 1);
    const std::string filter = SaveFilter(*rule);
    OPENFILENAMEA ofn = FileDialogSetup(instance, main, filter, name, sizeof name,
                                        "保存するファイル名を入力してください。");
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    // A name typed without an extension gets the kind's from the dialog itself, so that its
    // overwrite question is about the file that will be written.
    ofn.lpstrDefExt = rule->appended + 1;
    if (!GetSaveFileNameA(&ofn)) return;

    std::string path;
    if (FinalSaveName(name, *rule, &path) != SaveNameStatus::Ok) {
        Warn(main, "フルパス名が長すぎます。", "ファイルの保存");
        return;
    }
    // A name with another extension gets the kind's after it: a file the dialog did not ask about.
    if (path != name && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const std::string question = path + " は既に存在します。\n上書きしますか?";
        if (MessageBoxA(main, question.c_str(), "ファイルの保存", MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
    }
    if (!WriteObjectFile(path.c_str(), *object)) {
        Warn(main, "ファイルの書き込みに失敗しました。", "ファイルの保存");
    }
}

void FileInfoCommand(HINSTANCE instance, HWND main)
{
    const std::shared_ptr<const ViewContent> content = View::Current();
    if (!content) {
        Warn(main, "データを読み込んでいません。", "画像の情報");
        return;
    }
    const DecodedPicture* picture = content->picture.get();
    const ObjectInfo info = DescribeObject(*content->object, picture != nullptr,
                                           picture ? picture->width : 0,
                                           picture ? picture->height : 0);
    InfoDialog(info).Run(instance, IDD_FILE_INFO, main);
}
