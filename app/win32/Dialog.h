// Modal dialog boxes: one dialog procedure for all of them. OK and Cancel (also Esc) end the
// dialog with their id unless OnOk / OnCancel refuse; everything else goes to the hooks. No
// exception returns into the system's dialog manager. And the program's one warning box.
#pragma once
#include <windows.h>

class ModalDialog {
public:
    virtual ~ModalDialog() = default;

    // Shows dialog resource `id` owned by `owner` until it ends; returns the result it ended
    // with, or -1 when it could not be shown.
    INT_PTR Run(HINSTANCE instance, int id, HWND owner);

protected:
    HWND Handle() const { return dialog_; }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void End(INT_PTR result) { EndDialog(dialog_, result); }

    // WM_INITDIALOG; the result is the message's (TRUE: the system sets the focus).
    virtual BOOL OnInit() { return TRUE; }
    // False keeps the dialog open.
    virtual bool OnOk() { return true; }
    virtual bool OnCancel() { return true; }
    // Other commands; true when handled.
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    // Other messages; true when handled, with the procedure's result in `result`.
    virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, INT_PTR* /*result*/) { return false; }
    // WM_DESTROY, the last message the dialog object sees.
    virtual void OnDestroy() {}

private:
    static INT_PTR CALLBACK Procedure(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND dialog_ = nullptr;
};

// The caption of warnings about states that no path should reach.
extern const char kAppCaption[];

// A warning message box: OK button, warning icon.
void Warn(HWND owner, const char* text, const char* caption);

// The warning for a command that failed in a way no path should reach.
void WarnUnexpected(HWND owner);
