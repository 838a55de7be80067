#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>
#include "base/Unique.h"
#include "watcher/CObReadWriteLock.h"

namespace {

mx::unique_handle NewEvent() { return mx::unique_handle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

bool Signalled(HANDLE h, DWORD ms) { return ::WaitForSingleObject(h, ms) == WAIT_OBJECT_0; }

// Long enough for a thread that could get in to do so.
const DWORD kSettle = 150;
const DWORD kLong = 10000;

// A thread that takes the lock one way, says so, and leaves when told.
class Holder {
public:
    Holder(CObReadWriteLock& lock, bool exclusive) : m_lock(lock), m_exclusive(exclusive) {
        m_thread = std::thread([this] {
            if (m_exclusive) m_lock.LockExclusive(); else m_lock.LockShared();
            ::SetEvent(m_in.get());
            ::WaitForSingleObject(m_leave.get(), INFINITE);
            if (m_exclusive) m_lock.UnlockExclusive(); else m_lock.UnlockShared();
        });
    }
    ~Holder() {
        Leave();
        m_thread.join();
    }
    bool In(DWORD ms) const { return Signalled(m_in.get(), ms); }
    void Leave() { ::SetEvent(m_leave.get()); }

private:
    CObReadWriteLock& m_lock;
    bool m_exclusive;
    mx::unique_handle m_in = NewEvent();
    mx::unique_handle m_leave = NewEvent();
    std::thread m_thread;
};

// Tells every holder to leave before any of them is joined, so that a failed
// check cannot leave a joined thread waiting for the lock forever.
struct LeaveAll {
    std::vector<Holder*> holders;
    ~LeaveAll() {
        for (Holder* holder : holders) holder->Leave();
    }
};

// Runs `step` on a new thread and answers whether it finished in time.
bool FinishesOnOtherThread(std::function<void()> step, DWORD ms = kLong) {
    mx::unique_handle done = NewEvent();
    std::thread thread([&] {
        step();
        ::SetEvent(done.get());
    });
    bool finished = Signalled(done.get(), ms);
    thread.join();
    return finished;
}

}  // namespace

TEST(ObReadWriteLock, NestedSharedHoldsReturnTheTokenAtTheLastUnlock) {
    CObReadWriteLock lock;
    mx::unique_handle release = NewEvent();
    mx::unique_handle firstUnlocked = NewEvent();
    mx::unique_handle done = NewEvent();
    std::thread reader([&] {
        lock.LockShared();
        lock.LockShared();  // already shared: no wait
        ::SetEvent(done.get());
        ::WaitForSingleObject(release.get(), INFINITE);
        lock.UnlockShared();
        ::SetEvent(firstUnlocked.get());
        ::WaitForSingleObject(release.get(), INFINITE);
        ::Sleep(kSettle);
        lock.UnlockShared();
    });
    ASSERT_TRUE(Signalled(done.get(), kLong));
    EXPECT_EQ(2, lock.GetSharedCount());

    Holder writer(lock, true);
    EXPECT_FALSE(writer.In(kSettle));
    ::SetEvent(release.get());
    EXPECT_TRUE(Signalled(firstUnlocked.get(), kLong));
    EXPECT_FALSE(writer.In(kSettle / 2));  // one hold is still out
    EXPECT_TRUE(writer.In(kLong));
    EXPECT_EQ(0, lock.GetSharedCount());
    reader.join();
}

TEST(ObReadWriteLock, ASharedHoldMayEndOnAnotherThread) {
    CObReadWriteLock lock;
    ASSERT_TRUE(FinishesOnOtherThread([&] { lock.LockShared(); }));
    Holder writer(lock, true);
    EXPECT_FALSE(writer.In(kSettle));
    ASSERT_TRUE(FinishesOnOtherThread([&] { lock.UnlockShared(); }));
    EXPECT_TRUE(writer.In(kLong));
}

TEST(ObReadWriteLock, AWriterExcludesReadersAndWriters) {
    CObReadWriteLock lock;
    auto writer = std::make_unique<Holder>(lock, true);
    ASSERT_TRUE(writer->In(kLong));
    Holder reader1(lock, false);
    Holder reader2(lock, false);
    Holder writer2(lock, true);
    LeaveAll leave{{&reader1, &reader2, &writer2}};
    EXPECT_FALSE(reader1.In(kSettle));
    EXPECT_FALSE(reader2.In(0));
    EXPECT_FALSE(writer2.In(0));

    writer.reset();
    // Either the readers or the second writer come next, never both.
    bool someoneIn = false;
    for (DWORD waited = 0; waited < kLong && !someoneIn; waited += 10) {
        someoneIn = reader1.In(0) || writer2.In(0);
        if (!someoneIn) ::Sleep(10);
    }
    EXPECT_TRUE(someoneIn);
    if (writer2.In(0)) {
        EXPECT_FALSE(reader1.In(kSettle));
        writer2.Leave();
    }
    EXPECT_TRUE(reader1.In(kLong));
    EXPECT_TRUE(reader2.In(kLong));
    EXPECT_EQ(2, lock.GetSharedCount());
    reader1.Leave();
    reader2.Leave();
    EXPECT_TRUE(writer2.In(kLong));
}

TEST(ObReadWriteLock, ReadersShareAndHoldWritersOff) {
    CObReadWriteLock lock;
    Holder reader1(lock, false);
    Holder reader2(lock, false);
    ASSERT_TRUE(reader1.In(kLong));
    ASSERT_TRUE(reader2.In(kLong));
    EXPECT_EQ(2, lock.GetSharedCount());
    Holder writer(lock, true);
    LeaveAll leave{{&reader1, &reader2, &writer}};
    EXPECT_FALSE(writer.In(kSettle));
    reader1.Leave();
    EXPECT_FALSE(writer.In(kSettle));
    reader2.Leave();
    EXPECT_TRUE(writer.In(kLong));
}

TEST(ObReadWriteLock, AnUnmatchedUnlockDoesNotLetTwoWritersIn) {
    CObReadWriteLock lock;
    lock.UnlockShared();
    EXPECT_EQ(0, lock.GetSharedCount());
    Holder writer1(lock, true);
    ASSERT_TRUE(writer1.In(kLong));
    Holder writer2(lock, true);
    LeaveAll leave{{&writer1, &writer2}};
    EXPECT_FALSE(writer2.In(kSettle));
    writer1.Leave();
    EXPECT_TRUE(writer2.In(kLong));
}

TEST(ObReadWriteLock, ReadersNeverSeeAHalfDoneChange) {
    CObReadWriteLock lock;
    const int kCells = 16, kReaders = 4, kWriters = 2, kRounds = 1500;
    std::vector<int> cells(kCells, 0);
    std::atomic<int> readers{0}, writers{0};
    std::atomic<int> tornReads{0}, overlaps{0}, reads{0}, writes{0};

    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&, w] {
            for (int round = 0; round < kRounds; ++round) {
                lock.LockExclusive();
                if (++writers != 1 || readers != 0) ++overlaps;
                int value = (round + 1) * kWriters + w;
                for (int i = 0; i < kCells; ++i) {
                    cells[i] = value;
                    if (i == kCells / 2) ::SwitchToThread();
                }
                ++writes;
                --writers;
                lock.UnlockExclusive();
            }
        });
    }
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&, r] {
            for (int round = 0; round < kRounds; ++round) {
                bool nested = (round + r) % 3 == 0;
                lock.LockShared();
                if (nested) lock.LockShared();
                ++readers;
                if (writers != 0) ++overlaps;
                int first = cells[0];
                for (int i = 1; i < kCells; ++i) {
                    if (cells[i] != first) {
                        ++tornReads;
                        break;
                    }
                    if (i == kCells / 2) ::SwitchToThread();
                }
                ++reads;
                --readers;
                if (nested) lock.UnlockShared();
                lock.UnlockShared();
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, tornReads);
    EXPECT_EQ(0, overlaps);
    EXPECT_EQ(kReaders * kRounds, reads);
    EXPECT_EQ(kWriters * kRounds, writes);
    EXPECT_EQ(0, lock.GetSharedCount());
    // The lock is free again.
    EXPECT_TRUE(FinishesOnOtherThread([&] {
        lock.LockExclusive();
        lock.UnlockExclusive();
    }));
}
