#include "watcher/CObThread.h"
#include "base/ExceptionBarrier.h"

CObThread::CObThread() = default;

CObThread::~CObThread() {
    StopThread();
}

HANDLE CObThread::StartThread() {
    if (m_thread) StopThread();
    // A signal nobody consumed (the old body had already returned) must not
    // stop the new body at its first look.
    m_stopEvent.clear();
    // Created suspended so that the handle and id are stored before the body
    // can ask for them.
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &CObThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!thread) return nullptr;
    m_thread.reset(thread);
    m_threadId = id;
    ::ResumeThread(thread);
    return thread;
}

void CObThread::StopThread() {
    if (!m_thread) return;
    m_stopEvent.set();
    // Joining itself would wait forever: a body that stops its own object only
    // gives up the handle.
    if (::GetCurrentThreadId() != m_threadId)
        ::WaitForSingleObject(m_thread.get(), INFINITE);
    m_thread.reset();
}

bool CObThread::WaitForStop(DWORD milliseconds) {
    return m_stopEvent.wait(milliseconds);
}

DWORD CObThread::GetThreadID() const { return m_threadId; }

HANDLE CObThread::GetThreadHandle() const { return m_thread.get(); }

// An exception that a body lets out ends the thread, not the process.
DWORD WINAPI CObThread::ThreadEntry(void* parameter) {
    return mx::barrier<DWORD>(1, [parameter] { return static_cast<CObThread*>(parameter)->ThreadProc(); });
}
