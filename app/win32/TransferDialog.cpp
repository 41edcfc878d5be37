#include "app/win32/TransferDialog.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "app/SerialMode.h"
#include "app/Transfer.h"
#include "app/TransferWorkers.h"
#include "app/win32/Dialog.h"
#include "app/win32/Shell.h"
#include "app/win32/TransferServices.h"
#include "app/win32/View.h"
#include "app/win32/Worker.h"
#include "res/resource.h"

namespace {

// What one progress dialog and its worker share. Both hold a reference, so that a worker that
// outlives its dialog (closed after a cancel) still has somewhere to put its result.
struct TransferContext {
    Direction direction = Direction::Receive;
    HWND dialog = nullptr;
    HWND mainWindow = nullptr;
    SerialSelection serial;
    std::atomic<bool> cancelRequested{false};

    // User-interface thread only.
    HANDLE thread = nullptr;
    INT_PTR result = 0;
    TransferState* active = nullptr;
    DWORD startTime = 0;

    // Send: the record and what the worker sends, copied on the user-interface thread.
    SendSettings settings;
    SendPayload payload;

    // Receive: the object waiting to be made current once the dialog has ended with success.
    std::mutex lock;
    std::unique_ptr<MediaObject> received;
};

using ContextRef = std::shared_ptr<TransferContext>;

// The worker's calls into its dialog. Sent messages wait until the dialog has handled them;
// the dialog never waits for the worker, so they cannot dead-lock.
class DialogUi : public TransferUi {
public:
    explicit DialogUi(TransferContext& context) : c_(context) {}
    void SetStatus(const std::string& text) override
    {
        SetDlgItemTextA(c_.dialog, IDC_PROGRESS_STATUS, text.c_str());
    }
    void SetCaption(const std::string& text) override { SetWindowTextA(c_.dialog, text.c_str()); }
    void EnableButton(bool enabled) override
    {
        EnableWindow(GetDlgItem(c_.dialog, IDC_PROGRESS_BUTTON), enabled);
    }
    void SetButtonText(const std::string& text) override
    {
        SetDlgItemTextA(c_.dialog, IDC_PROGRESS_BUTTON, text.c_str());
    }
    void SetActiveTransfer(TransferState* transfer) override
    {
        // Sent in both directions: a posted "gone" could arrive after the transfer was
        // destroyed, and a cancel in between would use it.
        SendMessageA(c_.dialog, MSG_TRANSFER_ACTIVE, 0, (LPARAM)transfer);
    }
    void ReportProgress(uint32_t done, uint32_t total) override
    {
        SendMessageA(c_.dialog,
                     c_.direction == Direction::Send ? MSG_SEND_PROGRESS : MSG_RECEIVE_PROGRESS,
                     (WPARAM)done, (LPARAM)total);
    }
    void Done(bool succeeded) override
    {
        PostMessageA(c_.dialog, MSG_TRANSFER_DONE, 0, succeeded ? 1 : 0);
    }

private:
    TransferContext& c_;
};

// Keeps a received object for the user-interface thread. A picture is decoded here first: one
// that cannot be shown is refused now, while the dialog can still say so.
class ContextSink : public ReceivedObjectSink {
public:
    explicit ContextSink(TransferContext& context) : c_(context) {}
    bool Deliver(std::unique_ptr<MediaObject> object) override
    {
        const int32_t kind = object->GetKind();
        if (kind == MEDIA_JPEG || kind == MEDIA_GIF || kind == MEDIA_BMP) {
            try {
                Zorvex::ImageManager check(object->GetBody(), object->GetBodyLength());
            } catch (const ImageManagerException&) {
                return false;
            }
        }
        std::lock_guard<std::mutex> g(c_.lock);
        c_.received = std::move(object);
        return true;
    }

private:
    TransferContext& c_;
};

// Runs on a thread of StartWorker, which has initialised COM for the picture decoder.
void TransferWorker(const ContextRef& context)
{
    TransferContext& c = *context;
    DialogUi ui(c);
    try {
        Win32Transports transports(c.serial);
        Win32InfraredMonitor service;
        InfraredMonitor* monitor = c.serial.active ? nullptr : &service;
        if (c.direction == Direction::Receive) {
            ContextSink sink(c);
            RunReceiveWorker(ui, transports, monitor, sink, c.cancelRequested);
        } else {
            RunSendWorker(ui, transports, monitor, c.settings, std::move(c.payload),
                          c.cancelRequested);
        }
    } catch (...) {
        // Nothing may leave the thread; the dialog must still learn that the transfer ended.
        ui.EnableButton(true);
        ui.SetButtonText("了解");
        ui.Done(false);
    }
}

void ShowProgress(HWND dlg, TransferContext& c, uint32_t done, uint32_t total)
{
    HWND bar = GetDlgItem(dlg, IDC_PROGRESS_BAR);
    HWND line1 = GetDlgItem(dlg, IDC_PROGRESS_LINE1);
    HWND line2 = GetDlgItem(dlg, IDC_PROGRESS_LINE2);
    // The first progress message of a transfer starts the clock.
    const bool first = c.direction == Direction::Send ? !IsWindowVisible(bar) : !IsWindowVisible(line2);
    if (first) c.startTime = timeGetTime();
    const ProgressLines lines = FormatProgress(c.direction, done, total, timeGetTime() - c.startTime);
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

INT_PTR ProgressDialogMessage(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* ref = reinterpret_cast<ContextRef*>(GetWindowLongPtrA(dlg, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        ref = reinterpret_cast<ContextRef*>(lParam);
        SetWindowLongPtrA(dlg, DWLP_USER, (LONG_PTR)ref);
        TransferContext& c = **ref;
        c.dialog = dlg;
        c.settings.progressDialog = dlg;
        SetWindowTextA(dlg, c.direction == Direction::Send ? "送信中" : "受信中");
        SetDlgItemTextA(dlg, IDC_PROGRESS_STATUS, "スレッドを起動中です。");
        c.cancelRequested = false;
        c.thread = StartWorker([worker = *ref] { TransferWorker(worker); });
        if (!c.thread) EndDialog(dlg, 0);  // without a worker nothing would ever end the dialog
        return TRUE;
    }
    if (!ref) return FALSE;
    TransferContext& c = **ref;
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PROGRESS_BUTTON || LOWORD(wParam) == IDCANCEL) {
            // The receive dialog lets a second press close it while the worker runs on.
            if (!c.thread || (c.direction == Direction::Receive && c.cancelRequested)) {
                EndDialog(dlg, c.result);
            } else if (!c.cancelRequested) {
                c.cancelRequested = true;
                EnableWindow(GetDlgItem(dlg, IDC_PROGRESS_BUTTON), FALSE);
                if (c.active) c.active->Cancel();
            }
            return TRUE;
        }
        break;
    case MSG_TRANSFER_DONE:
        if (c.thread) {
            CloseHandle(c.thread);
            c.thread = nullptr;
        }
        c.result = lParam;
        return TRUE;
    case MSG_TRANSFER_ACTIVE:
        c.active = reinterpret_cast<TransferState*>(lParam);
        if (!c.active) {
            ShowWindow(GetDlgItem(dlg, IDC_PROGRESS_BAR), SW_HIDE);
            ShowWindow(GetDlgItem(dlg, IDC_PROGRESS_LINE1), SW_HIDE);
            ShowWindow(GetDlgItem(dlg, IDC_PROGRESS_LINE2), SW_HIDE);
        }
        return TRUE;
    case MSG_RECEIVE_PROGRESS:
    case MSG_SEND_PROGRESS:
        ShowProgress(dlg, c, (uint32_t)wParam, (uint32_t)lParam);
        return TRUE;
    case WM_DESTROY:
        // The worker may run on; it keeps its own reference.
        if (c.thread) CloseHandle(c.thread);
        c.thread = nullptr;
        c.active = nullptr;
        return FALSE;
    }
    return FALSE;
}

INT_PTR RunProgressDialog(HWND owner, const ContextRef& context)
{
    auto* ref = new ContextRef(context);
    const INT_PTR result = DialogBoxParamA(Shell::Instance(), MAKEINTRESOURCEA(IDD_PROGRESS), owner,
                                           GuardedDialogProc<ProgressDialogMessage>, (LPARAM)ref);
    delete ref;
    return result == -1 ? 0 : result;
}

// Offers to play a received movie with the program the system associates with ".3gp" files.
void OfferPlayback(HWND mainWindow, const MediaObject& movie)
{
    char directory[MAX_PATH];
    char unique[MAX_PATH];
    if (!GetTempPathA(sizeof directory, directory)) return;
    if (!GetTempFileNameA(directory, "zvx", 0, unique)) return;
    // The unique-name service created this empty file; the movie goes beside it.
    DeleteFileA(unique);
    if (strlen(unique) + 5 > MAX_PATH) return;
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s.3gp", unique);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_ARCHIVE, nullptr);
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
        MessageBoxA(mainWindow, "一時ファイルの作成に失敗しました。", "映像再生", MB_OK | MB_ICONWARNING);
        return discard();
    }
    CloseHandle(file);
    // The file stays: the player may still be reading it. The next clean-up removes it.
    if ((INT_PTR)ShellExecuteA(mainWindow, "open", path, nullptr, nullptr, SW_SHOWNORMAL) < 32) {
        MessageBoxA(mainWindow, "再生する外部ソフトウェアの起動に失敗しました。", "映像再生",
                    MB_OK | MB_ICONWARNING);
    }
}

}  // namespace

INT_PTR RunSendProgressDialog(HWND owner, SendSettings& settings)
{
    auto context = std::make_shared<TransferContext>();
    context->direction = Direction::Send;
    context->mainWindow = (HWND)settings.mainWindow;
    context->serial = CurrentSerialSelection();
    context->settings = settings;
    // The worker gets its own copy of the current object, taken while nothing can change it.
    if (const std::shared_ptr<const MediaObject> current = View::CurrentObject()) {
        context->payload.kind = current->GetKind();
        context->payload.body.assign(current->GetBody(),
                                     current->GetBody() + current->GetBodyLength());
    }
    const INT_PTR result = RunProgressDialog(owner, context);
    settings.progressDialog = context->settings.progressDialog;
    return result;
}

void ReceiveCommand(HINSTANCE, HWND mainWindow)
{
    auto context = std::make_shared<TransferContext>();
    context->direction = Direction::Receive;
    context->mainWindow = mainWindow;
    context->serial = CurrentSerialSelection();
    if (RunProgressDialog(mainWindow, context) != 1) return;

    std::unique_ptr<MediaObject> object;
    {
        std::lock_guard<std::mutex> g(context->lock);
        object = std::move(context->received);
    }
    if (!object || !View::InstallObject(mainWindow, object)) return;
    InvalidateRect(mainWindow, nullptr, TRUE);
    UpdateWindow(mainWindow);
    const std::shared_ptr<const MediaObject> current = View::CurrentObject();
    if (current && current->GetKind() == MEDIA_MOVIE) OfferPlayback(mainWindow, *current);
}
