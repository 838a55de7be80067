#include "host/bar/CBarWindow.h"
#include "base/Unique.h"
#include "host/bar/CDvlHostSite.h"

CBarWindow::~CBarWindow() {
    if (m_hwnd) {
        RemovePropW(m_hwnd, kThisProperty);
        DestroyWindow(m_hwnd);
    }
}

bool CBarWindow::Create(const wchar_t* title) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return false;
    }
    m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title,
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, 0, 200, 60,
                             nullptr, nullptr, instance, nullptr);
    // Without a display (Wine with no X server) only a message-only window can be had;
    // it still receives hotkeys and notices, it just cannot be shown.
    if (!m_hwnd)
        m_hwnd = CreateWindowExW(0, kClassName, title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
    if (!m_hwnd) return false;
    SetPropW(m_hwnd, kThisProperty, this);
    return true;
}

void CBarWindow::Show(int x, int y, int width, int height) {
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
    SetWindowPos(m_hwnd, HWND_TOP, x, y, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_SHOWWINDOW);
    UpdateWindow(m_hwnd);
}

LRESULT CALLBACK CBarWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CBarWindow*>(GetPropW(hwnd, kThisProperty));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

void CBarWindow::Paint() {
    mx::unique_paint_dc dc(m_hwnd);
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (onPaint) onPaint(dc.get(), client);
}

LRESULT CBarWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (onMessage && onMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_HOTKEY:
        if (onHotKey) onHotKey(static_cast<UINT>(wParam));
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_DVLHOST_CHANGED:
        InvalidateRect(m_hwnd, nullptr, TRUE);
        return 0;
    case WM_LBUTTONUP:
        if (onClick) onClick();
        return 0;
    case WM_RBUTTONUP:
        if (onRightClick) onRightClick();
        return 0;
    case WM_DVLHOST_ACTIVATE:
        if (onActivateMenu) onActivateMenu();
        return 0;
    case WM_CLOSE:
        // The window lives as long as the bar; closing only hides it and ends a "show".
        m_closed = true;
        ShowWindow(m_hwnd, SW_HIDE);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}
