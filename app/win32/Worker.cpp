#include "app/win32/Worker.h"

#include <objbase.h>
#include <process.h>

#include <memory>

namespace {

unsigned __stdcall WorkerEntry(void* parameter)
{
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
    const HRESULT com = CoInitialize(nullptr);
    try {
        (*body)();
    } catch (...) {
        // Nothing may leave a thread entry; the workflows report their own failures.
    }
    body.reset();  // whatever the body captured goes while COM is still up
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

}  // namespace

bool WorkerThread::Start(std::function<void()> body)
{
    Join();
    auto* parameter = new std::function<void()>(std::move(body));
    const uintptr_t thread = _beginthreadex(nullptr, 0, WorkerEntry, parameter, 0, nullptr);
    if (thread == 0) {
        delete parameter;
        return false;
    }
    thread_ = reinterpret_cast<HANDLE>(thread);
    return true;
}

void WorkerThread::Join()
{
    if (!thread_) return;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woke != WAIT_OBJECT_0 + 1) break;  // the thread ended (or the wait itself failed)
        // Peeking handles the messages other threads sent; posted ones stay queued.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread_);
    thread_ = nullptr;
}
