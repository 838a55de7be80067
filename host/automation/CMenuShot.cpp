#include "host/automation/CMenuShot.h"
#include "host/automation/CScreenCapture.h"
#include "host/bar/CTipWindow.h"

namespace {

// The menu loop dispatches a thread's timers too: the menu is looked at
// this often while it runs.
const UINT kLookPeriodMs = 50;
// After the menu first shows, so that the display shows what the menu and
// the tip painted.
const ULONGLONG kSettleMs = 400;

// The screen around a menu window and, when it shows, the tooltip beside it.
RECT ShownArea(HWND menuWindow, HWND tipWindow) {
    RECT area{}, tip{};
    GetWindowRect(menuWindow, &area);
    if (tipWindow && IsWindowVisible(tipWindow) && GetWindowRect(tipWindow, &tip)) UnionRect(&area, &area, &tip);
    InflateRect(&area, 4, 4);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    return area;
}

}  // namespace

thread_local CMenuShot* CMenuShot::s_current = nullptr;

HRESULT CMenuShot::Take(const std::function<void()>& open, UINT& width, UINT& height,
                        std::vector<BYTE>& rgba) {
    CMenuShot shot;
    s_current = &shot;
    const UINT_PTR timer = SetTimer(nullptr, 0, kLookPeriodMs, &CMenuShot::OnTimer);
    open();
    if (timer) KillTimer(nullptr, timer);
    s_current = nullptr;
    width = shot.m_width;
    height = shot.m_height;
    rgba.swap(shot.m_rgba);
    return shot.m_result;
}

void CALLBACK CMenuShot::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (s_current) s_current->Look();
}

void CMenuShot::Look() {
    if (m_taken) return;
    HWND menuWindow = FindWindowW(L"#32768", nullptr);
    if (!menuWindow || !IsWindowVisible(menuWindow)) return;
    const ULONGLONG now = GetTickCount64();
    if (!m_seenAt) m_seenAt = now;
    if (now - m_seenAt < kSettleMs) return;
    m_taken = true;
    HWND tipWindow = FindWindowW(CTipWindow::kClassName, nullptr);
    m_result = CScreenCapture::Area(ShownArea(menuWindow, tipWindow), m_width, m_height, m_rgba);
    EndMenu();
}
