#include "app/win32/SerialSettingsDialog.h"

#include <dbt.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/Dialog.h"
#include "app/win32/Shell.h"
#include "res/resource.h"
#include "transport/win32/SerialPortList.h"

namespace {

SerialSelection g_selection;

struct SerialDialog {
    SerialDirection direction;
    std::unique_ptr<SerialPortList> list;  // replaced in place when the devices change
    std::vector<PortEntry> ports;          // the list's entries, for the rules
    SerialSelection chosen;
};

std::vector<PortEntry> EntriesOf(const SerialPortList& list)
{
    std::vector<PortEntry> out;
    for (int32_t i = 0; i < list.GetPortCount(); ++i) {
        out.push_back({list.GetPortName(i), list.GetPortDescription(i)});
    }
    return out;
}

void Warn(HWND owner, const char* text, const char* caption)
{
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
}

// Reads the port's line speed; false when the port cannot be opened.
bool CurrentPortSpeed(const std::string& name, DWORD* speed)
{
    const std::string path = "\\\\.\\" + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL ok = GetCommState(h, &dcb);
    CloseHandle(h);
    if (!ok) return false;
    *speed = dcb.BaudRate;
    return true;
}

void ShowSelectedSpeed(HWND dlg, const SerialDialog& d)
{
    const LRESULT sel = SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_GETCURSEL, 0, 0);
    if (sel < 0 || (size_t)sel >= d.ports.size()) return;
    const std::string& name = d.ports[(size_t)sel].name;
    DWORD speed = 0;
    if (!CurrentPortSpeed(name, &speed)) {
        Warn(dlg, PortOpenFailedText(name.c_str()).c_str(), SerialCaption(d.direction));
        return;
    }
    for (const SpeedChoice& c : kSpeedChoices) CheckDlgButton(dlg, c.buttonId, BST_UNCHECKED);
    CheckDlgButton(dlg, IDC_SPEED_MANUAL, BST_UNCHECKED);
    const SpeedDisplay shown = DisplayForSpeed(speed);
    CheckDlgButton(dlg, shown.checkedButton, BST_CHECKED);
    if (shown.manualEnabled) SetDlgItemTextA(dlg, IDC_SPEED_EDIT, shown.manualText.c_str());
    EnableWindow(GetDlgItem(dlg, IDC_SPEED_EDIT), shown.manualEnabled);
}

void Fill(HWND dlg, const SerialDialog& d)
{
    SetWindowTextA(dlg, SerialCaption(d.direction));
    HWND combo = GetDlgItem(dlg, IDC_SERIAL_PORT);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const PortEntry& port : d.ports) {
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)PortLineText(port).c_str());
    }
    SendMessageA(combo, CB_SETCURSEL, (WPARAM)InitialPortIndex(d.ports), 0);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    SendDlgItemMessageA(dlg, IDC_SPEED_EDIT, EM_LIMITTEXT, 8, 0);
    ShowSelectedSpeed(dlg, d);
}

void OnDevicesChanged(HWND dlg, SerialDialog& d)
{
    std::unique_ptr<SerialPortList> fresh(new SerialPortList);
    std::vector<PortEntry> ports = EntriesOf(*fresh);
    if (SamePorts(ports, d.ports)) return;
    d.list = std::move(fresh);
    d.ports = std::move(ports);
    Fill(dlg, d);
}

bool OnOk(HWND dlg, SerialDialog& d)
{
    bool checked[kSpeedChoiceCount];
    for (int i = 0; i < kSpeedChoiceCount; ++i) {
        checked[i] = IsDlgButtonChecked(dlg, kSpeedChoices[i].buttonId) == BST_CHECKED;
    }
    char manual[16] = "";
    GetDlgItemTextA(dlg, IDC_SPEED_EDIT, manual, sizeof manual);
    uint32_t speed = 0;
    const SpeedStatus status = ChosenSpeed(checked, manual, &speed);
    if (status != SpeedStatus::Ok) {
        Warn(dlg, SpeedStatusMessage(status), SerialCaption(d.direction));
        return false;
    }
    // A refresh may have emptied the list: there is then no port to choose.
    const LRESULT sel = SendDlgItemMessageA(dlg, IDC_SERIAL_PORT, CB_GETCURSEL, 0, 0);
    if (sel < 0 || (size_t)sel >= d.ports.size()) {
        Warn(dlg, kNoSerialPortsMessage, SerialCaption(d.direction));
        return false;
    }
    d.chosen.active = true;
    d.chosen.portNumber = PortNumberFromName(d.ports[(size_t)sel].name.c_str());
    d.chosen.speed = speed;
    return true;
}

INT_PTR SerialSettingsMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SerialDialog* d = reinterpret_cast<SerialDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        Fill(dlg, *reinterpret_cast<SerialDialog*>(lParam));
        return TRUE;
    case WM_DEVICECHANGE:
        if (!d || wParam != DBT_DEVNODES_CHANGED) break;
        OnDevicesChanged(dlg, *d);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDC_SERIAL_PORT && HIWORD(wParam) == CBN_SELCHANGE) {
            ShowSelectedSpeed(dlg, *d);
        } else if (id == IDC_SPEED_MANUAL) {
            EnableWindow(GetDlgItem(dlg, IDC_SPEED_EDIT), TRUE);
        } else if (id >= IDC_SPEED_110 && id <= IDC_SPEED_256000 && id != IDC_SPEED_EDIT) {
            EnableWindow(GetDlgItem(dlg, IDC_SPEED_EDIT), FALSE);
        } else if (id == IDOK) {
            if (OnOk(dlg, *d)) EndDialog(dlg, IDOK);
        } else if (id == IDCANCEL) {
            EndDialog(dlg, IDCANCEL);
        } else {
            break;
        }
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

const SerialSelection& CurrentSerialSelection() { return g_selection; }

bool ChooseSerialPort(HWND owner, SerialDirection direction, SerialSelection& chosen)
{
    SerialDialog d{direction, std::unique_ptr<SerialPortList>(new SerialPortList), {}, {}};
    d.ports = EntriesOf(*d.list);
    if (d.ports.empty()) {
        Warn(owner, kNoSerialPortsMessage, SerialCaption(direction));
        return false;
    }
    if (DialogBoxParamA(Shell::Instance(), MAKEINTRESOURCEA(IDD_SERIAL_SETTINGS), owner,
                        GuardedDialogProc<SerialSettingsMessage>, (LPARAM)&d) != IDOK) {
        return false;
    }
    chosen = d.chosen;
    return true;
}

void RunSerialCommand(HWND main, SerialDirection direction, int command)
{
    if (!ChooseSerialPort(main, direction, g_selection)) return;
    SendMessageA(main, WM_COMMAND, (WPARAM)command, 0);
    g_selection = SerialSelection();
}
