// Which thread an object's operations belong to, checked in the check build
// (MX_CHECK_BUILD): MX_ASSERT_ON_THREAD(affinity) stops the program at once,
// as the build's other run-time checks do, when it runs on another thread.
// In other builds it costs nothing.
#pragma once
#include <windows.h>

namespace mx {

class thread_affinity {
public:
    // Bound to the thread that makes the object.
    thread_affinity() noexcept : m_thread(::GetCurrentThreadId()) {}
    bool is_current() const noexcept { return m_thread == ::GetCurrentThreadId(); }
    // For objects whose thread is started later, or anew: from the thread
    // itself, before its first checked operation.
    void bind_to_current_thread() noexcept { m_thread = ::GetCurrentThreadId(); }

private:
    DWORD m_thread;
};

}  // namespace mx

#ifdef MX_CHECK_BUILD
#define MX_ASSERT_ON_THREAD(affinity) ((affinity).is_current() ? (void)0 : __builtin_trap())
#else
#define MX_ASSERT_ON_THREAD(affinity) ((void)0)
#endif
