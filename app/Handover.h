// Hands finished objects from worker threads to the user-interface thread. A worker puts an
// item and then wakes the interface thread, which takes it; until then the queue owns it, so an
// item whose wake-up never arrives is still freed, at the latest when the queue is closed.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>

#include "core/Sync.h"

template <class T>
class HandoverQueue {
public:
    // Queues `item` and returns its ticket (never 0); 0 when the queue is closed (the item is
    // freed).
    uint64_t Put(std::unique_ptr<T> item)
    {
        ScopedLock lock(lock_);
        if (closed_) return 0;
        items_.emplace_back(++lastTicket_, std::move(item));
        return lastTicket_;
    }

    // The oldest waiting item, or nullptr.
    std::unique_ptr<T> Take()
    {
        ScopedLock lock(lock_);
        if (items_.empty()) return nullptr;
        std::unique_ptr<T> item = std::move(items_.front().second);
        items_.pop_front();
        return item;
    }

    // Frees the item of `ticket` if it still waits (its wake-up could not be sent); false when
    // it was taken.
    bool Withdraw(uint64_t ticket)
    {
        std::unique_ptr<T> found;
        {
            ScopedLock lock(lock_);
            for (auto it = items_.begin(); it != items_.end(); ++it) {
                if (it->first == ticket) {
                    found = std::move(it->second);
                    items_.erase(it);
                    break;
                }
            }
        }
        return found != nullptr;
    }

    // Frees whatever waits and refuses every later item.
    void Close()
    {
        Items waiting;
        {
            ScopedLock lock(lock_);
            closed_ = true;
            waiting.swap(items_);
        }
    }

private:
    using Items = std::deque<std::pair<uint64_t, std::unique_ptr<T>>>;

    CriticalSection lock_;
    Items items_;
    uint64_t lastTicket_ = 0;
    bool closed_ = false;
};
