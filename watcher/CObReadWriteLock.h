// Any number of readers or one writer. Shared holds nest, may span calls and
// may end on another thread: the token is a semaphore that belongs to no
// thread, taken by the first reader and returned by whichever reader leaves
// last. No fairness: overlapping readers hold writers off.
// A holder in either mode must not call LockExclusive, and a writer must not
// call LockShared: both would wait forever.
#pragma once
#include <windows.h>
#include <atomic>
#include "plugin/Unique.h"

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

private:
    CRITICAL_SECTION m_guard;
    mx::unique_handle m_token;
    std::atomic<LONG> m_sharedCount{0};
};
