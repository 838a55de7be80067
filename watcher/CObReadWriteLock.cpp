#include "watcher/CObReadWriteLock.h"

CObReadWriteLock::CObReadWriteLock() : m_token(::CreateSemaphoreW(nullptr, 1, 1, nullptr)) {
    ::InitializeCriticalSection(&m_guard);
}

CObReadWriteLock::~CObReadWriteLock() {
    ::DeleteCriticalSection(&m_guard);
    m_sharedCount = 0;
}

void CObReadWriteLock::LockShared() {
    ::EnterCriticalSection(&m_guard);
    // The first reader waits for the token inside the guard, so later readers
    // queue on the guard until the writer is gone.
    if (m_sharedCount == 0) ::WaitForSingleObject(m_token.get(), INFINITE);
    ++m_sharedCount;
    ::LeaveCriticalSection(&m_guard);
}

void CObReadWriteLock::UnlockShared() {
    ::EnterCriticalSection(&m_guard);
    // An unmatched call must not hand out a second token.
    if (m_sharedCount > 0 && --m_sharedCount == 0) ::ReleaseSemaphore(m_token.get(), 1, nullptr);
    ::LeaveCriticalSection(&m_guard);
}

void CObReadWriteLock::LockExclusive() {
    ::WaitForSingleObject(m_token.get(), INFINITE);
}

void CObReadWriteLock::UnlockExclusive() {
    ::ReleaseSemaphore(m_token.get(), 1, nullptr);
}

LONG CObReadWriteLock::GetSharedCount() const { return m_sharedCount; }
