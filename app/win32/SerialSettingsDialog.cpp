#include "app/win32/SerialSettingsDialog.h"

#include <dbt.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Remembered.h"
#include "app/win32/Dialog.h"
#include "app/win32/MainWindow.h"
#include "app/win32/UserStore.h"
#include "res/resource.h"

namespace {

enum class PortSpeed { OpenFailed, Unknown, Known };

// Reads the port's line speed.
PortSpeed CurrentPortSpeed(const std::string& name, DWORD* speed)
{
    const std::string path = "\\\\.\\" + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PortSpeed::OpenFailed;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL ok = GetCommState(h, &dcb);
    CloseHandle(h);
    if (!ok) return PortSpeed::Unknown;
    *speed = dcb.BaudRate;
    return PortSpeed::Known;
}

class SerialDialog : public ModalDialog {
public:
    SerialDialog(SerialDirection direction, std::vector<PortEntry> ports,
                 UserStore::RememberedLine remembered)
        : direction_(direction), ports_(std::move(ports)), remembered_(std::move(remembered))
    {
    }
    const SerialLine& Chosen() const { return chosen_; }

private:
    BOOL OnInit() override
    {
        Fill();
        return TRUE;
    }

    bool OnOk() override
    {
        bool checked[kSpeedChoiceCount];
        for (int i = 0; i < kSpeedChoiceCount; ++i) {
            checked[i] = IsDlgButtonChecked(Handle(), kSpeedChoices[i].buttonId) == BST_CHECKED;
        }
        char manual[16] = "";
        GetDlgItemTextA(Handle(), IDC_SPEED_EDIT, manual, sizeof manual);
        uint32_t speed = 0;
        const SpeedStatus status = ChosenSpeed(checked, manual, &speed);
        if (status != SpeedStatus::Ok) {
            Warn(Handle(), SpeedStatusMessage(status), SerialCaption(direction_));
            return false;
        }
        // A refresh may have emptied the list: there is then no port to choose.
        const size_t sel = Selection();
        if (sel >= ports_.size()) {
            Warn(Handle(), kNoSerialPortsMessage, SerialCaption(direction_));
            return false;
        }
        chosen_.port = ports_[sel].name;
        chosen_.speed = speed;
        return true;
    }

    bool OnCommand(int id, int code) override
    {
        if (id == IDC_SERIAL_PORT) {
            if (code == CBN_SELCHANGE) ShowSelectedSpeed();
        } else if (id == IDC_SPEED_MANUAL) {
            EnableWindow(Item(IDC_SPEED_EDIT), TRUE);
        } else if (id >= IDC_SPEED_110 && id <= IDC_SPEED_256000 && id != IDC_SPEED_EDIT) {
            EnableWindow(Item(IDC_SPEED_EDIT), FALSE);
        } else {
            return false;
        }
        return true;
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR* result) override
    {
        if (msg != WM_DEVICECHANGE || wParam != DBT_DEVNODES_CHANGED) return false;
        std::vector<PortEntry> ports = ListSerialPorts();
        if (ports != ports_) {
            ports_ = std::move(ports);
            Fill();
        }
        *result = TRUE;
        return true;
    }

    size_t Selection() const
    {
        const LRESULT sel = SendMessageA(Item(IDC_SERIAL_PORT), CB_GETCURSEL, 0, 0);
        return sel < 0 ? ports_.size() : (size_t)sel;
    }

    void ShowSelectedSpeed()
    {
        const size_t sel = Selection();
        if (sel >= ports_.size()) return;
        const std::string& name = ports_[sel].name;
        DWORD speed = 0;
        const PortSpeed read = CurrentPortSpeed(name, &speed);
        if (read == PortSpeed::OpenFailed) {
            Warn(Handle(), PortOpenFailedText(name.c_str()).c_str(), SerialCaption(direction_));
            return;
        }
        // A port that opened but does not tell its speed leaves every speed unchecked.
        if (read == PortSpeed::Unknown) {
            UncheckSpeeds();
            return;
        }
        ShowSpeed(speed);
    }

    void UncheckSpeeds()
    {
        for (const SpeedChoice& c : kSpeedChoices) CheckDlgButton(Handle(), c.buttonId, BST_UNCHECKED);
        CheckDlgButton(Handle(), IDC_SPEED_MANUAL, BST_UNCHECKED);
    }

    void ShowSpeed(uint32_t speed)
    {
        UncheckSpeeds();
        const SpeedDisplay shown = DisplayForSpeed(speed);
        CheckDlgButton(Handle(), shown.checkedButton, BST_CHECKED);
        if (shown.manualEnabled) SetDlgItemTextA(Handle(), IDC_SPEED_EDIT, shown.manualText.c_str());
        EnableWindow(Item(IDC_SPEED_EDIT), shown.manualEnabled);
    }

    void Fill()
    {
        SetWindowTextA(Handle(), SerialCaption(direction_));
        HWND combo = Item(IDC_SERIAL_PORT);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const PortEntry& port : ports_) {
            SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)PortLineText(port).c_str());
        }
        const PortPreselection initial = PreselectedPort(ports_, remembered_.port);
        SendMessageA(combo, CB_SETCURSEL, (WPARAM)initial.index, 0);
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        SendDlgItemMessageA(Handle(), IDC_SPEED_EDIT, EM_LIMITTEXT, 8, 0);
        // The port is still opened: one that is busy is reported as ever.
        ShowSelectedSpeed();
        if (initial.remembered && remembered_.speed) ShowSpeed(*remembered_.speed);
    }

    SerialDirection direction_;
    std::vector<PortEntry> ports_;
    UserStore::RememberedLine remembered_;
    SerialLine chosen_;
};

}  // namespace

std::optional<SerialLine> ChooseSerialPort(HWND owner, SerialDirection direction)
{
    std::vector<PortEntry> ports = ListSerialPorts();
    if (ports.empty()) {
        Warn(owner, kNoSerialPortsMessage, SerialCaption(direction));
        return std::nullopt;
    }
    SerialDialog dialog(direction, std::move(ports), UserStore::LoadSerialLine());
    if (dialog.Run(MainWindow::Instance(), IDD_SERIAL_SETTINGS, owner) != IDOK) return std::nullopt;
    UserStore::StoreSerialLine(dialog.Chosen());
    return dialog.Chosen();
}
