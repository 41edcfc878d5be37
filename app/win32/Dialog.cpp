#include "app/win32/Dialog.h"

const char kAppCaption[] = "Zorvex for Windows";

INT_PTR ModalDialog::Run(HINSTANCE instance, int id, HWND owner)
{
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(id), owner, Procedure,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        reinterpret_cast<ModalDialog*>(lParam)->dialog_ = dlg;
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) find no dialog object yet.
    auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) SetWindowLongPtrA(dlg, DWLP_USER, 0);
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        // No exception may return into the system's dialog manager.
        if (msg == WM_COMMAND) WarnUnexpected(dlg);
        return FALSE;
    }
}

INT_PTR ModalDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        return OnInit();
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            if (id == IDOK ? OnOk() : OnCancel()) End(id);
            return TRUE;
        }
        return OnCommand(id, HIWORD(wParam)) ? TRUE : FALSE;
    }
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default: {
        INT_PTR result = FALSE;
        return OnMessage(msg, wParam, lParam, &result) ? result : FALSE;
    }
    }
}

void Warn(HWND owner, const char* text, const char* caption)
{
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
}

void WarnUnexpected(HWND owner)
{
    Warn(owner, "予期しないエラーが発生しました。", kAppCaption);
}
