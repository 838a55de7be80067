#include "tests/zab/CDialogDriver.h"

#include <utility>

CDialogDriver* CDialogDriver::s_current = nullptr;

CDialogDriver::CDialogDriver(std::vector<Step> steps) : m_steps(std::move(steps)) {
    s_current = this;
    m_started = ::GetTickCount();
    m_timer = ::SetTimer(nullptr, 0, 15, Tick);
}

CDialogDriver::~CDialogDriver() {
    ::KillTimer(nullptr, m_timer);
    s_current = nullptr;
}

bool CDialogDriver::Finished() const {
    return m_next == m_steps.size();
}

bool CDialogDriver::TimedOut() const {
    return m_timedOut;
}

void CDialogDriver::Key(HWND window, WPARAM key) {
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// The active window is no help here: when another program holds the X focus
// this thread has none, and a dialog left up would hold the test until its
// time limit. Every dialog of the thread is ended instead, the innermost too.
void CDialogDriver::EndThreadDialogs() {
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (::lstrcmpW(name, L"#32770") == 0) ::EndDialog(window, 99);
            return TRUE;
        },
        0);
}

void CALLBACK CDialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    CDialogDriver* driver = s_current;
    if (!driver) return;
    if (::GetTickCount() - driver->m_started > 120000) {
        driver->m_timedOut = true;
        EndThreadDialogs();
        return;
    }
    if (driver->m_next < driver->m_steps.size() && driver->m_steps[driver->m_next]()) {
        ++driver->m_next;
    }
}
