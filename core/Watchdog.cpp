#include "core/Watchdog.h"

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void Watchdog::Arm(uint32_t milliseconds)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        limitMs_ = milliseconds;
        deadline_ = Clock::now() + std::chrono::milliseconds(milliseconds);
        // The thread exists only for transfers that ever set a limit.
        if (milliseconds != 0 && !thread_.joinable()) thread_ = std::thread([this] { Watch(); });
    }
    changed_.notify_all();
}

void Watchdog::Kick()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (limitMs_ != 0) deadline_ = Clock::now() + std::chrono::milliseconds(limitMs_);
}

bool Watchdog::Expired() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return expired_;
}

void Watchdog::Watch()
{
    std::unique_lock<std::mutex> hold(lock_);
    while (!stopping_) {
        if (limitMs_ == 0) {
            changed_.wait(hold);
            continue;
        }
        // A kick moves the deadline without waking the thread: it looks again when it wakes.
        if (Clock::now() < deadline_) {
            changed_.wait_until(hold, deadline_);
            continue;
        }
        limitMs_ = 0;
        expired_ = true;
        hold.unlock();
        expire_();
        hold.lock();
    }
}
