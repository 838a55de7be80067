// The file work of one history, done in order on a thread of its own: the
// snapshot files of new captures and the catalogue after them. The watcher
// hands a capture over once its blocks are copied out and is ready for the
// next change at once. What waits to be written is counted, so the watcher
// can hold back before it copies more than the budget allows; nothing
// handed over is dropped.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Unique.h"

class CHistoryWriter {
public:
    using Job = std::function<void()>;

    CHistoryWriter();
    // Runs every job handed over, then ends the thread.
    ~CHistoryWriter();
    CHistoryWriter(const CHistoryWriter&) = delete;
    CHistoryWriter& operator=(const CHistoryWriter&) = delete;

    // Queues the job; bytes is the memory it holds until it has run.
    void Post(Job job, size_t bytes = 0);
    // Until every job handed over so far has run; at once on the writing
    // thread. Messages sent to the waiting thread are answered meanwhile.
    void Flush();
    // True when no job waits (on the writing thread: none after this one).
    bool IsIdle();
    // Until the jobs waiting hold at most the budget.
    void WaitForRoom(size_t budget);
    size_t GetWaitingBytes();
    // Test seam: while held, no job starts.
    void Hold(bool held);
    // On the writing thread: until a job is handed over, a thread waits in
    // Flush, the writer is to stop, or the time is up.
    void WaitForWork(DWORD milliseconds);

private:
    void Run();

    std::mutex m_guard;
    std::condition_variable m_wake;
    std::condition_variable m_ran;
    std::deque<std::pair<Job, size_t>> m_jobs;
    size_t m_waitingBytes = 0;
    unsigned long long m_posted = 0, m_done = 0;
    bool m_held = false;
    bool m_stop = false;
    // The events of the threads that wait in Flush, set after every job.
    std::vector<HANDLE> m_waiters;
    std::thread m_thread;
};
