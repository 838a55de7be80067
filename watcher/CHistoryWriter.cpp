#include "watcher/CHistoryWriter.h"

#include <objbase.h>

#include <algorithm>
#include <chrono>

CHistoryWriter::CHistoryWriter() {
    m_thread = std::thread([this] { Run(); });
}

CHistoryWriter::~CHistoryWriter() {
    {
        std::lock_guard<std::mutex> hold(m_guard);
        m_stop = true;
        m_held = false;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void CHistoryWriter::Post(Job job, size_t bytes) {
    {
        std::lock_guard<std::mutex> hold(m_guard);
        m_jobs.emplace_back(std::move(job), bytes);
        m_waitingBytes += bytes;
        ++m_posted;
    }
    m_wake.notify_all();
}

// A job that throws is over: the next one still runs.
void CHistoryWriter::Run() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        std::pair<Job, size_t> next;
        {
            std::unique_lock<std::mutex> hold(m_guard);
            m_wake.wait(hold, [this] {
                return (!m_jobs.empty() && !m_held) || (m_stop && m_jobs.empty());
            });
            if (m_jobs.empty()) break;
            next = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        try {
            next.first();
        } catch (...) {
        }
        {
            std::lock_guard<std::mutex> hold(m_guard);
            m_waitingBytes -= next.second;
            ++m_done;
            for (HANDLE waiter : m_waiters) SetEvent(waiter);
        }
        m_ran.notify_all();
    }
    CoUninitialize();
}

void CHistoryWriter::Flush() {
    if (std::this_thread::get_id() == m_thread.get_id()) return;
    mx::unique_handle progress(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!progress) return;
    HANDLE event = progress.get();
    unsigned long long target;
    {
        std::lock_guard<std::mutex> hold(m_guard);
        target = m_posted;
        m_waiters.push_back(event);
    }
    // A writer that waits for more work goes on at once.
    m_wake.notify_all();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(m_guard);
            if (m_done >= target) {
                m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), event));
                return;
            }
        }
        if (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

bool CHistoryWriter::IsIdle() {
    std::lock_guard<std::mutex> hold(m_guard);
    return m_jobs.empty();
}

void CHistoryWriter::WaitForRoom(size_t budget) {
    if (std::this_thread::get_id() == m_thread.get_id()) return;
    std::unique_lock<std::mutex> hold(m_guard);
    m_ran.wait(hold, [this, budget] { return m_waitingBytes <= budget; });
}

size_t CHistoryWriter::GetWaitingBytes() {
    std::lock_guard<std::mutex> hold(m_guard);
    return m_waitingBytes;
}

void CHistoryWriter::Hold(bool held) {
    {
        std::lock_guard<std::mutex> hold(m_guard);
        m_held = held;
    }
    m_wake.notify_all();
}

void CHistoryWriter::WaitForWork(DWORD milliseconds) {
    std::unique_lock<std::mutex> hold(m_guard);
    m_wake.wait_for(hold, std::chrono::milliseconds(milliseconds),
                           [this] { return !m_jobs.empty() || !m_waiters.empty() || m_stop; });
}
