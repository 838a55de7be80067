// Any number of readers or one writer. Shared holds nest, may span calls and
// may end on another thread: the token is a semaphore that belongs to no
// thread, taken by the first reader and returned by whichever reader leaves
// last. No fairness: overlapping readers hold writers off.
// A holder in either mode must not call LockExclusive, and a writer must not
// call LockShared: both would wait forever.
#pragma once
#include <windows.h>
#include <atomic>
#include "base/Unique.h"

class CObReadWriteLock {
public:
    CObReadWriteLock();
    ~CObReadWriteLock();
    CObReadWriteLock(const CObReadWriteLock&) = delete;
    CObReadWriteLock& operator=(const CObReadWriteLock&) = delete;

    void LockShared();
    void UnlockShared();
    void LockExclusive();
    void UnlockExclusive();

    // Shared holds now outstanding.
    LONG GetSharedCount() const;

    // A shared hold for as long as the object lives.
    class SharedHold {
    public:
        explicit SharedHold(CObReadWriteLock& lock) : m_lock(lock) { m_lock.LockShared(); }
        ~SharedHold() { m_lock.UnlockShared(); }
        SharedHold(const SharedHold&) = delete;
        SharedHold& operator=(const SharedHold&) = delete;

    private:
        CObReadWriteLock& m_lock;
    };

    // An exclusive hold for as long as the object lives.
    class ExclusiveHold {
    public:
        explicit ExclusiveHold(CObReadWriteLock& lock) : m_lock(lock) { m_lock.LockExclusive(); }
        ~ExclusiveHold() { m_lock.UnlockExclusive(); }
        ExclusiveHold(const ExclusiveHold&) = delete;
        ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    private:
        CObReadWriteLock& m_lock;
    };

private:
    CRITICAL_SECTION m_guard;
    mx::unique_handle m_token;
    std::atomic<LONG> m_sharedCount{0};
};
