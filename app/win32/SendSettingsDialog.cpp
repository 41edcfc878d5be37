#include "app/win32/SendSettingsDialog.h"

#include <commctrl.h>

#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "app/Remembered.h"
#include "app/SendSettingsRules.h"
#include "app/win32/Dialog.h"
#include "app/win32/ProgressDialog.h"
#include "app/win32/MainWindow.h"
#include "app/win32/UserStore.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Win32Time.h"
#include "core/MediaObject.h"
#include "core/TimeConv.h"
#include "res/resource.h"

const char kSendCaption[] = "送信";

namespace {

// The only calls into the view: what is current, and the object a successful send leaves.
std::shared_ptr<const MediaObject> Current() { return View::CurrentObject(); }
void MakeCurrent(std::unique_ptr<MediaObject> sent) { View::ReplaceObject(std::move(sent)); }

CalendarTime FromSystemTime(const SYSTEMTIME& st)
{
    CalendarTime t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    return t;
}

void SetField(HWND dlg, const int* controls, int hint, const FieldState& state)
{
    for (; *controls; ++controls) EnableWindow(GetDlgItem(dlg, *controls), state.enabled);
    SetDlgItemTextA(dlg, hint, state.hint);
}

void ApplyRule(HWND dlg, int32_t format)
{
    static const int title[] = {IDC_SEND_TITLE, 0};
    static const int summary[] = {IDC_SEND_SUMMARY, 0};
    static const int fileName[] = {IDC_SEND_FILENAME, 0};
    static const int date[] = {IDC_SEND_DATE, IDC_SEND_TIME, 0};
    static const int redist[] = {IDC_REDIST_ALLOW, IDC_REDIST_FORBID, 0};
    const FieldStates s = StatesForFormat(format);
    SetField(dlg, title, IDC_HINT_TITLE, s.title);
    SetField(dlg, summary, IDC_HINT_SUMMARY, s.summary);
    SetField(dlg, fileName, IDC_HINT_FILENAME, s.fileName);
    SetField(dlg, date, IDC_HINT_DATE, s.date);
    SetField(dlg, redist, IDC_HINT_REDIST, s.redistribution);
}

void SelectFormat(HWND dlg, const FormatButton& button)
{
    for (const FormatButton& b : kFormatButtons) CheckDlgButton(dlg, b.id, BST_UNCHECKED);
    CheckDlgButton(dlg, button.id, BST_CHECKED);
    ApplyRule(dlg, button.format);
}

void SetUpPickers(HWND dlg)
{
    HWND date = GetDlgItem(dlg, IDC_SEND_DATE);
    HWND time = GetDlgItem(dlg, IDC_SEND_TIME);
    SendMessageA(date, DTM_SETFORMATA, 0, (LPARAM) "yyyy'年'MM'月'dd'日'");
    SendMessageA(time, DTM_SETFORMATA, 0, (LPARAM) "HH'時'mm'分'ss'秒'");
    SYSTEMTIME range[2] = {};
    range[0].wYear = 1990;
    range[0].wMonth = 1;
    range[0].wDay = 1;
    GetLocalTime(&range[1]);
    SendMessageA(date, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, (LPARAM)range);
}

void ShowObject(HWND dlg, const MediaObject& object)
{
    SendDlgItemMessageA(dlg, IDC_SEND_TITLE, EM_LIMITTEXT, kMaxTitleBytes, 0);
    SendDlgItemMessageA(dlg, IDC_SEND_SUMMARY, EM_LIMITTEXT, kMaxSummaryBytes, 0);
    SendDlgItemMessageA(dlg, IDC_SEND_FILENAME, EM_LIMITTEXT, kMaxMediaFileName, 0);
    if (object.GetTitle()) SetDlgItemTextA(dlg, IDC_SEND_TITLE, object.GetTitle());
    if (object.GetSummary()) SetDlgItemTextA(dlg, IDC_SEND_SUMMARY, object.GetSummary());
    if (object.GetFileName()) SetDlgItemTextA(dlg, IDC_SEND_FILENAME, object.GetFileName());
    CalendarTime local;
    if (object.GetTime() != 0 && SecondsToLocalCalendar(object.GetTime(), &local)) {
        SYSTEMTIME st = ToSystemTime(local);
        SendDlgItemMessageA(dlg, IDC_SEND_DATE, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
        SendDlgItemMessageA(dlg, IDC_SEND_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
    }
    CheckDlgButton(dlg, object.GetRedistributionForbidden() ? IDC_REDIST_FORBID : IDC_REDIST_ALLOW,
                   BST_CHECKED);
}

// An edit's text: whole characters only, at most `maxBytes`.
std::string ReadText(HWND dlg, int id, size_t maxBytes)
{
    HWND edit = GetDlgItem(dlg, id);
    std::string text((size_t)GetWindowTextLengthA(edit) + 1, '\0');
    text.resize((size_t)GetWindowTextA(edit, &text[0], (int)text.size()));
    return FitAnsiText(text, maxBytes);
}

int32_t PickerTime(HWND dlg)
{
    SYSTEMTIME date{}, time{};
    SendDlgItemMessageA(dlg, IDC_SEND_DATE, DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
    SendDlgItemMessageA(dlg, IDC_SEND_TIME, DTM_GETSYSTEMTIME, 0, (LPARAM)&time);
    int32_t seconds = 0;
    // The date picker's range keeps the instant convertible; the clock is the fallback anyway.
    if (!PickerSeconds(FromSystemTime(date), FromSystemTime(time), &seconds)) {
        seconds = (int32_t)std::time(nullptr);
    }
    return seconds;
}

class SendDialog : public ModalDialog {
public:
    explicit SendDialog(std::optional<SerialLine> serial) : serial_(std::move(serial)) {}

private:
    BOOL OnInit() override
    {
        HWND dlg = Handle();
        SetUpPickers(dlg);
        const std::shared_ptr<const MediaObject> object = Current();
        if (!object) return TRUE;  // the command checks first; nothing to show
        ShowObject(dlg, *object);
        const FormatButton* button = ButtonForFormat(PreselectedFormat(
            object->GetFormat(), object->GetKind(), UserStore::LoadSendFormat()));
        if (!button) {
            Warn(GetParent(dlg), kUnexpectedFormatMessage, kAppCaption);
            return TRUE;
        }
        SelectFormat(dlg, *button);
        if (serial_) SetWindowTextA(dlg, "シリアル送信設定");
        const KindFormats formats = FormatsForKind(object->GetKind());
        if (!formats.known) {
            Warn(GetParent(dlg), kUnexpectedKindMessage, kAppCaption);
            return TRUE;
        }
        for (int i = 0; i < kFormatButtonCount; ++i) {
            EnableWindow(Item(kFormatButtons[i].id), formats.enabled[i]);
        }
        if (formats.forcedFormat) SelectFormat(dlg, *ButtonForFormat(formats.forcedFormat));
        return TRUE;
    }

    bool OnCommand(int id, int code) override
    {
        const FormatButton* button = ButtonForId(id);
        if (!button) return false;
        if (code == BN_CLICKED) ApplyRule(Handle(), button->format);
        return true;
    }

    // Send: the dialog closes only after a successful send, keeping the entries otherwise.
    bool OnOk() override
    {
        HWND dlg = Handle();
        bool checked[kFormatButtonCount];
        for (int i = 0; i < kFormatButtonCount; ++i) {
            checked[i] = IsDlgButtonChecked(dlg, kFormatButtons[i].id) == BST_CHECKED;
        }
        SendEntries s;
        s.format = FormatFromChecked(checked);
        if (s.format == 0) {
            Warn(dlg, kNoFormatCheckedMessage, kAppCaption);
            return false;
        }
        s.title = ReadText(dlg, IDC_SEND_TITLE, kMaxTitleBytes);
        s.summary = ReadText(dlg, IDC_SEND_SUMMARY, kMaxSummaryBytes);
        s.fileName = ReadText(dlg, IDC_SEND_FILENAME, kMaxMediaFileName);
        s.redistributionForbidden = IsDlgButtonChecked(dlg, IDC_REDIST_FORBID) == BST_CHECKED;
        s.time = PickerTime(dlg);
        const std::shared_ptr<const MediaObject> current = Current();
        if (!current) return false;

        TransferRequest request;
        request.direction = Direction::Send;
        request.serial = serial_;
        // The worker's own copy of the body, taken while nothing can change the current object.
        if (const char* refusal = PrepareSend(*current, s, &request.job)) {
            Warn(dlg, refusal, kSendCaption);
            return false;
        }
        if (!RunTransferDialog(dlg, GetParent(dlg), std::move(request))) return false;
        UserStore::StoreSendFormat(s.format);
        MakeCurrent(BuildSentObject(*current, s));
        return true;
    }

    std::optional<SerialLine> serial_;
};

}  // namespace

void RunSendSettings(HWND main, std::optional<SerialLine> serial)
{
    SendDialog(std::move(serial)).Run(MainWindow::Instance(), IDD_SEND_SETTINGS, main);
}
