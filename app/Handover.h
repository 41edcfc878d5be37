// Hands finished objects from worker threads to the user-interface thread. A worker puts an
// item and then wakes the interface thread, which takes it; until then the queue owns it, so an
// item whose wake-up never arrives is still freed, at the latest when the queue is closed.
#pragma once
#include <deque>
#include <memory>

#include "core/Sync.h"

template <class T>
class HandoverQueue {
public:
    // Queues `item`; false when the queue is closed (the item is freed).
    bool Put(std::unique_ptr<T> item)
    {
        ScopedLock lock(lock_);
        if (closed_) return false;
        items_.push_back(std::move(item));
        return true;
    }

    // The oldest waiting item, or nullptr.
    std::unique_ptr<T> Take()
    {
        ScopedLock lock(lock_);
        if (items_.empty()) return nullptr;
        std::unique_ptr<T> item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

    // Frees `item` if it still waits (its wake-up could not be sent); false when it was taken.
    bool Withdraw(const T* item)
    {
        std::unique_ptr<T> found;
        {
            ScopedLock lock(lock_);
            for (auto it = items_.begin(); it != items_.end(); ++it) {
                if (it->get() == item) {
                    found = std::move(*it);
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
        std::deque<std::unique_ptr<T>> waiting;
        {
            ScopedLock lock(lock_);
            closed_ = true;
            waiting.swap(items_);
        }
    }

private:
    CriticalSection lock_;
    std::deque<std::unique_ptr<T>> items_;
    bool closed_ = false;
};
