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

HANDLE StartWorker(std::function<void()> body)
{
    auto* parameter = new std::function<void()>(std::move(body));
    const uintptr_t thread = _beginthreadex(nullptr, 0, WorkerEntry, parameter, 0, nullptr);
    if (thread == 0) {
        delete parameter;
        return nullptr;
    }
    return reinterpret_cast<HANDLE>(thread);
}
