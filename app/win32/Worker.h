// The one way the program starts a thread, and its one owner.
#pragma once
#include <windows.h>

#include <functional>

// A worker thread that runs a body with COM initialised, as picture decoding needs. An exception
// from the body ends the thread quietly instead of the process. The thread never outlives its
// owner: Join, and the destructor, wait for it.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // False when no thread could be started (the body is dropped).
    bool Start(std::function<void()> body);
    bool Started() const { return thread_ != nullptr; }

    // Waits until the thread has ended and closes its handle. Messages sent to this thread's
    // windows meanwhile are handled, so a worker that reports to a window of this thread while
    // it winds down cannot dead-lock the wait.
    void Join();

private:
    HANDLE thread_ = nullptr;
};
