#include "app/win32/ContinuousReceive.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "app/ReceiveFolder.h"
#include "app/TransferSession.h"
#include "app/win32/CurrentContent.h"
#include "app/win32/Dialog.h"
#include "app/win32/FolderPicker.h"
#include "app/win32/MainWindow.h"
#include "app/win32/SerialSettingsDialog.h"
#include "app/win32/Worker.h"
#include "res/resource.h"
#include "transport/win32/Transports.h"

namespace {

constexpr UINT MSG_CONTINUOUS_ENTRY = WM_USER + 10;  // lParam: const FolderEntry*
constexpr UINT MSG_CONTINUOUS_DONE = WM_USER + 11;   // the worker is ending

const char kCaption[] = "連続受信";

// The sessions' calls into the window: only the status line shows through. Each session's end
// is not the wait's; the caption carries the count, not the phone's name.
class WaitUi : public TransferUi {
public:
    explicit WaitUi(HWND window) : window_(window) {}
    void SetStatus(const std::string& text) override
    {
        SetDlgItemTextA(window_, IDC_CONT_STATUS, text.c_str());
    }
    void SetCaption(const std::string&) override {}
    void EnableButton(bool) override {}
    void SetButtonText(const std::string&) override {}
    void SetTransferActive(bool) override {}
    void ReportProgress(uint32_t, uint32_t) override {}
    void Done(bool) override {}

private:
    HWND window_;
};

struct WaitRequest {
    std::optional<SerialLine> serial;  // none: infrared
    std::string folder;
};

// Sessions one after another until the wait is cancelled, all inside one Infrared Monitor
// bracket. Runs on a thread of WorkerThread.
void WaitWorker(const WaitRequest& request, CancelSignal& cancel, HWND window, HWND mainWindow)
{
    WaitUi ui(window);
    try {
        Win32Transports transports(request.serial);
        Win32InfraredMonitor service;
        InfraredMonitorBracket bracket(request.serial ? nullptr : &service, ui, transports);
        View::Handover view(mainWindow);
        FolderSink sink(request.folder, &view, [window](const FolderEntry& entry) {
            SendMessageA(window, MSG_CONTINUOUS_ENTRY, 0, (LPARAM)&entry);
        });
        while (!cancel.IsCancelled()) {
            TransferRequest one;
            one.direction = Direction::Receive;
            one.serial = request.serial;
            TransferSession session(std::move(one), &cancel);
            session.Run(ui, transports, nullptr, sink);
            // A line that cannot be opened stays so: its message stays up until 閉じる.
            if (session.Result() == RECEIVE_NO_PORT || cancel.IsCancelled()) break;
            // A listener that fails at once would otherwise spin.
            if (session.Result() == RECEIVE_CONNECT_FAILED) transports.Pause(500);
        }
        bracket.Restore();
    } catch (...) {
        ui.SetStatus(kTransferUnexpected);
    }
    PostMessageA(window, MSG_CONTINUOUS_DONE, 0, 0);
}

class WaitWindow;
WaitWindow* g_waiting = nullptr;  // user-interface thread only

class WaitWindow : public ModalDialog {
public:
    WaitWindow(WaitRequest request, HWND mainWindow)
        : request_(std::move(request)), mainWindow_(mainWindow)
    {
        g_waiting = this;
    }
    ~WaitWindow() override
    {
        EndWorker();
        g_waiting = nullptr;
    }

    void EndWorker()
    {
        cancel_->Cancel();
        worker_.Join();
    }

private:
    BOOL OnInit() override
    {
        ShowCount();
        SetDlgItemTextA(Handle(), IDC_CONT_STATUS, "スレッドを起動中です。");
        SetDlgItemTextA(Handle(), IDC_CONT_FOLDER, ("保存先: " + request_.folder).c_str());
        HWND list = Item(IDC_CONT_LIST);
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
        static const struct {
            const char* title;
            int width;  // dialog units
        } kColumns[] = {{"時刻", 40}, {"名前", 76}, {"種類", 34}, {"形式", 56},
                        {"サイズ", 30}, {"携帯電話", 44}, {"結果", 96}};
        int index = 0;
        for (const auto& column : kColumns) {
            RECT r{0, 0, column.width, 1};
            MapDialogRect(Handle(), &r);
            LVCOLUMNA c{};
            c.mask = LVCF_TEXT | LVCF_WIDTH;
            c.pszText = const_cast<char*>(column.title);
            c.cx = r.right;
            SendMessageA(list, LVM_INSERTCOLUMNA, index++, (LPARAM)&c);
        }
        const std::shared_ptr<CancelSignal> cancel = cancel_;
        const WaitRequest request = request_;
        HWND window = Handle(), mainWindow = mainWindow_;
        if (!worker_.Start([cancel, request, window, mainWindow] {
                WaitWorker(request, *cancel, window, mainWindow);
            })) {
            End(0);
        }
        return TRUE;
    }

    bool OnOk() override { return false; }

    // 閉じる and Escape: the session ends and the worker with it, what was answered stays.
    bool OnCancel() override
    {
        EnableWindow(Item(IDCANCEL), FALSE);
        EndWorker();
        return true;
    }

    bool OnMessage(UINT msg, WPARAM, LPARAM lParam, INT_PTR* result) override
    {
        if (msg == MSG_CONTINUOUS_ENTRY) {
            List(*(const FolderEntry*)lParam);
        } else if (msg == MSG_CONTINUOUS_DONE) {
            worker_.Join();  // the worker's last act: it is ending by itself (no line)
        } else {
            return false;
        }
        *result = TRUE;
        return true;
    }

    void OnDestroy() override { EndWorker(); }

    void ShowCount()
    {
        char caption[64];
        std::snprintf(caption, sizeof caption, "%s (%u 件)", kCaption, saved_);
        SetWindowTextA(Handle(), caption);
    }

    void List(const FolderEntry& entry)
    {
        const time_t now = std::time(nullptr);
        char clock[16] = "", size[32];
        if (const std::tm* local = std::localtime(&now)) {
            std::strftime(clock, sizeof clock, "%H:%M:%S", local);
        }
        std::snprintf(size, sizeof size, "%u", entry.size);
        const bool kept = entry.refusal == 0;
        const std::string cells[] = {
            clock,
            kept ? entry.savedName : entry.obexName,
            entry.kind ? MediaKindLabel(entry.kind) : "",
            entry.format ? PhoneFormatLabel(entry.format) : "",
            size,
            entry.phone,
            kept ? "保存しました。"
                 : ResultMessage(Direction::Receive, entry.refusal, request_.serial.has_value()),
        };
        HWND list = Item(IDC_CONT_LIST);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = const_cast<char*>(cells[0].c_str());
        const int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
        for (int column = 1; row >= 0 && column < 7; ++column) {
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = const_cast<char*>(cells[column].c_str());
            SendMessageA(list, LVM_SETITEMTEXTA, row, (LPARAM)&item);
        }
        ListView_EnsureVisible(list, row, FALSE);
        if (kept) {
            ++saved_;
            ShowCount();
        }
    }

    WaitRequest request_;
    HWND mainWindow_;
    std::shared_ptr<CancelSignal> cancel_ = std::make_shared<CancelSignal>();
    WorkerThread worker_;
    unsigned saved_ = 0;
};

}  // namespace

void ContinuousReceiveCommand(HWND mainWindow)
{
    WaitRequest request;
    const int line = MessageBoxA(mainWindow,
                                 "赤外線で受信しますか？\n「いいえ」を選ぶとシリアルポートで受信します。",
                                 kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (line == IDCANCEL) return;
    if (line == IDNO) {
        request.serial = ChooseSerialPort(mainWindow, SerialDirection::Receive);
        if (!request.serial) return;
    }
    std::optional<std::string> folder = ChooseReceiveFolder(mainWindow);
    if (!folder) return;
    request.folder = std::move(*folder);
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        WaitWindow window(std::move(request), mainWindow);
        window.Run(MainWindow::Instance(), IDD_CONTINUOUS, mainWindow);
    }
    if (!IsWindow(mainWindow)) return;
    // The last object may still be queued when the window closes at once.
    View::OnContentReady(mainWindow);
    InvalidateRect(mainWindow, nullptr, TRUE);
    UpdateWindow(mainWindow);
}

void EndContinuousReceive()
{
    if (g_waiting) g_waiting->EndWorker();
}
