// Base of an object that owns one worker thread and a stop event.
#pragma once
#include <windows.h>
#include <atomic>
#include "base/Unique.h"

class CObThread {
public:
    CObThread();
    virtual ~CObThread();
    CObThread(const CObThread&) = delete;
    CObThread& operator=(const CObThread&) = delete;

    // Stops and joins a running thread first, so at most one thread exists.
    // Answers the new thread's handle (owned by this object) or null.
    HANDLE StartThread();
    // Signals the stop event and waits for the thread to end. A body that does
    // not watch the event must be told to leave before this is called.
    void StopThread();
    // False only when the wait timed out; a successful wait consumes the signal.
    bool WaitForStop(DWORD milliseconds);

    // Id of the thread started last; 0 before the first start.
    DWORD GetThreadID() const;
    HANDLE GetThreadHandle() const;

protected:
    virtual DWORD ThreadProc() = 0;

private:
    static DWORD WINAPI ThreadEntry(void* parameter);

    mx::unique_handle m_thread;
    mx::unique_event m_stopEvent{mx::unique_event::auto_reset};
    std::atomic<DWORD> m_threadId{0};
};
