// A time limit on silence: once armed, `expire` runs on a thread of the watchdog's own when the
// limit passes without a Kick, unless it is disarmed first. A transfer uses it to close a line
// whose peer has gone quiet, which ends whatever call waits on that line.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class Watchdog {
public:
    explicit Watchdog(std::function<void()> expire) : expire_(std::move(expire)) {}
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Starts (or restarts) the limit: `milliseconds` of silence from now. 0 disarms.
    void Arm(uint32_t milliseconds);
    void Disarm() { Arm(0); }
    // Any thread: the limit starts again from now, if armed.
    void Kick();
    // The limit passed and `expire` ran.
    bool Expired() const;

private:
    using Clock = std::chrono::steady_clock;
    void Watch();

    std::function<void()> expire_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::thread thread_;
    uint32_t limitMs_ = 0;  // 0: disarmed
    Clock::time_point deadline_;
    bool expired_ = false, stopping_ = false;
};
