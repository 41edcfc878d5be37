#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "app/Handover.h"

namespace {

// Counts live items, so a leak or a double free shows as a count that does not return to 0.
struct Item {
    static std::atomic<int> live;
    explicit Item(int id) : id(id) { ++live; }
    ~Item() { --live; }
    int id;
};
std::atomic<int> Item::live{0};

class Handover : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(0, Item::live.load()); }
    static std::unique_ptr<Item> Make(int id) { return std::unique_ptr<Item>(new Item(id)); }
};

}  // namespace

TEST_F(Handover, TakesInOrderAndOwnsWhatWaits)
{
    HandoverQueue<Item> queue;
    EXPECT_EQ(nullptr, queue.Take());
    for (int id = 1; id <= 3; ++id) EXPECT_NE(0u, queue.Put(Make(id)));
    EXPECT_EQ(1, queue.Take()->id);
    EXPECT_EQ(2, queue.Take()->id);
    EXPECT_EQ(1, Item::live.load());  // item 3 still waits; the queue's destructor frees it
}

TEST_F(Handover, WithdrawFreesOnlyAWaitingItem)
{
    HandoverQueue<Item> queue;
    const uint64_t a = queue.Put(Make(1)), b = queue.Put(Make(2));
    std::unique_ptr<Item> taken = queue.Take();
    EXPECT_FALSE(queue.Withdraw(a));  // already taken: the taker owns it
    EXPECT_TRUE(queue.Withdraw(b));
    EXPECT_EQ(1, Item::live.load());
    EXPECT_EQ(nullptr, queue.Take());
}

TEST_F(Handover, CloseFreesWaitingItemsAndRefusesLaterOnes)
{
    HandoverQueue<Item> queue;
    queue.Put(Make(1));
    queue.Put(Make(2));
    queue.Close();
    EXPECT_EQ(0, Item::live.load());
    EXPECT_EQ(0u, queue.Put(Make(3)));
    EXPECT_EQ(0, Item::live.load());
    EXPECT_EQ(nullptr, queue.Take());
}

// Workers put, withdraw and race a closing consumer: every item ends exactly once, either
// taken, withdrawn, refused or freed by Close.
TEST_F(Handover, ConcurrentWorkersAndClosingConsumer)
{
    constexpr int kWorkers = 4, kPerWorker = 2000;
    HandoverQueue<Item> queue;
    std::atomic<int> refused{0}, withdrawn{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.emplace_back([&, w] {
            for (int i = 0; i < kPerWorker; ++i) {
                const uint64_t ticket = queue.Put(Make(w * kPerWorker + i));
                if (ticket == 0) {
                    ++refused;
                } else if (i % 7 == 0 && queue.Withdraw(ticket)) {
                    ++withdrawn;
                }
            }
        });
    }
    std::set<int> taken;
    while (taken.size() < kWorkers * kPerWorker / 4) {
        if (auto item = queue.Take()) {
            EXPECT_TRUE(taken.insert(item->id).second);
        }
    }
    queue.Close();
    for (auto& t : workers) t.join();
    while (auto item = queue.Take()) taken.insert(item->id);
    EXPECT_EQ(0, Item::live.load());
    EXPECT_LE((int)taken.size() + refused + withdrawn, kWorkers * kPerWorker);
}
