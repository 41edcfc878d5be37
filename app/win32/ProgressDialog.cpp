#include "app/win32/ProgressDialog.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/TransferSession.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Dialog.h"
#include "app/win32/MainWindow.h"
#include "app/win32/Worker.h"
#include "res/resource.h"
#include "transport/win32/Transports.h"

namespace {

// The worker's calls into its dialog. Sent messages wait until the dialog has handled them; the
// dialog waits for the worker only in ways that keep handling them.
class DialogUi : public TransferUi {
public:
    DialogUi(HWND dialog, Direction direction) : dialog_(dialog), direction_(direction) {}
    void SetStatus(const std::string& text) override
    {
        SetDlgItemTextA(dialog_, IDC_PROGRESS_STATUS, text.c_str());
    }
    void SetCaption(const std::string& text) override { SetWindowTextA(dialog_, text.c_str()); }
    void EnableButton(bool enabled) override
    {
        EnableWindow(GetDlgItem(dialog_, IDC_PROGRESS_BUTTON), enabled);
    }
    void SetButtonText(const std::string& text) override
    {
        SetDlgItemTextA(dialog_, IDC_PROGRESS_BUTTON, text.c_str());
    }
    void SetTransferActive(bool active) override
    {
        SendMessageA(dialog_, MSG_TRANSFER_ACTIVE, 0, active ? 1 : 0);
    }
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        SendMessageA(dialog_,
                     direction_ == Direction::Send ? MSG_SEND_PROGRESS : MSG_RECEIVE_PROGRESS,
                     (WPARAM)done, (LPARAM)total);
    }
    void Done(bool succeeded) override
    {
        PostMessageA(dialog_, MSG_TRANSFER_DONE, 0, succeeded ? 1 : 0);
    }

private:
    HWND dialog_;
    Direction direction_;
};

// Runs on a thread of WorkerThread, which has initialised COM for the picture decoder.
void TransferWorker(TransferSession& session, HWND dialog, HWND mainWindow)
{
    DialogUi ui(dialog, session.Request().direction);
    try {
        Win32Transports transports(session.Request().serial);
        Win32InfraredMonitor service;
        View::Handover sink(mainWindow);
        session.Run(ui, transports, &service, &sink);
    } catch (...) {
        // Only setting up can get here; the dialog must still learn that the transfer ended.
        ui.EnableButton(true);
        ui.SetButtonText("了解");
        ui.Done(false);
    }
}

class ProgressDialog;
// The dialogs whose workers may still run (user-interface thread only).
std::vector<ProgressDialog*> g_running;

// The one owner of a running transfer on this side: its session, its worker thread and the
// dialog that shows it. The dialog ends only after the worker has.
class ProgressDialog : public ModalDialog {
public:
    ProgressDialog(TransferRequest request, HWND mainWindow)
        : session_(std::make_shared<TransferSession>(std::move(request))), mainWindow_(mainWindow)
    {
        g_running.push_back(this);
    }
    ~ProgressDialog() override
    {
        EndWorker();
        g_running.erase(std::find(g_running.begin(), g_running.end(), this));
    }

    // Cancels the transfer and waits until its worker has ended.
    void EndWorker()
    {
        session_->Cancel();
        worker_.Join();
    }

private:
    Direction Way() const { return session_->Request().direction; }

    BOOL OnInit() override
    {
        SetWindowTextA(Handle(), Way() == Direction::Send ? "送信中" : "受信中");
        SetDlgItemTextA(Handle(), IDC_PROGRESS_STATUS, "スレッドを起動中です。");
        const std::shared_ptr<TransferSession> session = session_;
        HWND dialog = Handle(), mainWindow = mainWindow_;
        // Without a worker nothing would ever end the dialog.
        if (!worker_.Start([session, dialog, mainWindow] {
                TransferWorker(*session, dialog, mainWindow);
            })) {
            End(0);
        }
        return TRUE;
    }

    // The dialog has no OK button; Enter does nothing.
    bool OnOk() override { return false; }

    // Escape, like the button.
    bool OnCancel() override
    {
        Press();
        return false;
    }

    bool OnCommand(int id, int) override
    {
        if (id != IDC_PROGRESS_BUTTON) return false;
        Press();
        return true;
    }

    void Press()
    {
        if (!worker_.Started()) {  // over: "了解"
            End(result_);
        } else if (!session_->IsCancelRequested()) {
            // Good at any moment: a transport that does not exist yet is closed when it is made.
            session_->Cancel();
            EnableWindow(Item(IDC_PROGRESS_BUTTON), FALSE);
        } else if (Way() == Direction::Receive) {
            // A second press closes a receive dialog once its cancelled worker has ended; the
            // cancel again closes a transport made after the first one.
            session_->Cancel();
            worker_.Join();
            MSG done;
            if (PeekMessageA(&done, Handle(), MSG_TRANSFER_DONE, MSG_TRANSFER_DONE, PM_REMOVE)) {
                result_ = done.lParam;
            }
            End(result_);
        }
    }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR* result) override
    {
        switch (msg) {
        case MSG_TRANSFER_DONE:
            worker_.Join();  // the worker's last act: it is ending
            result_ = lParam;
            EnableWindow(Item(IDC_PROGRESS_BUTTON), TRUE);  // a late press may have disabled it
            break;
        case MSG_TRANSFER_ACTIVE:
            if (!lParam) {
                ShowWindow(Item(IDC_PROGRESS_BAR), SW_HIDE);
                ShowWindow(Item(IDC_PROGRESS_LINE1), SW_HIDE);
                ShowWindow(Item(IDC_PROGRESS_LINE2), SW_HIDE);
            }
            break;
        case MSG_RECEIVE_PROGRESS:
        case MSG_SEND_PROGRESS:
            ShowProgress((uint32_t)wParam, (uint32_t)lParam);
            break;
        default:
            return false;
        }
        *result = TRUE;
        return true;
    }

    void OnDestroy() override { EndWorker(); }

    void ShowProgress(uint32_t done, uint32_t total)
    {
        HWND bar = Item(IDC_PROGRESS_BAR);
        HWND line1 = Item(IDC_PROGRESS_LINE1);
        HWND line2 = Item(IDC_PROGRESS_LINE2);
        // The first progress message of a transfer starts the clock.
        const bool first = Way() == Direction::Send ? !IsWindowVisible(bar) : !IsWindowVisible(line2);
        if (first) startTime_ = timeGetTime();
        const ProgressLines lines = FormatProgress(Way(), done, total, timeGetTime() - startTime_);
        if (lines.showBar) {
            if (!IsWindowVisible(bar)) {
                SendMessageA(bar, PBM_SETRANGE32, 0, (LPARAM)total);
                SendMessageA(bar, PBM_SETPOS, 0, 0);
                ShowWindow(bar, SW_SHOW);
            }
            SendMessageA(bar, PBM_SETPOS, (WPARAM)done, 0);
        }
        SetWindowTextA(line1, lines.first.c_str());
        SetWindowTextA(line2, lines.second.c_str());
        if (!IsWindowVisible(line1)) ShowWindow(line1, SW_SHOW);
        if (!IsWindowVisible(line2)) ShowWindow(line2, SW_SHOW);
    }

    std::shared_ptr<TransferSession> session_;  // shared with the worker's body
    HWND mainWindow_;
    WorkerThread worker_;
    INT_PTR result_ = 0;
    DWORD startTime_ = 0;
};

}  // namespace

bool RunTransferDialog(HWND owner, HWND mainWindow, TransferRequest request)
{
    ProgressDialog dialog(std::move(request), mainWindow);
    return dialog.Run(MainWindow::Instance(), IDD_PROGRESS, owner) == 1;
}

void EndTransfers()
{
    for (ProgressDialog* dialog : g_running) dialog->EndWorker();
}
