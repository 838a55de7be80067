#include "host/bar/CTipWindow.h"
#include "base/Unique.h"
#include "host/bar/CBitmapCanvas.h"

CTipWindow::~CTipWindow() {
    if (m_hwnd) {
        RemovePropW(m_hwnd, kThisProperty);
        DestroyWindow(m_hwnd);
    }
}

bool CTipWindow::Create() {
    if (m_hwnd) return true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(instance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_SAVEBITS | CS_DROPSHADOW;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return false;
    }
    m_hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"",
                             WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
    if (m_hwnd) SetPropW(m_hwnd, kThisProperty, this);
    return m_hwnd != nullptr;
}

void CTipWindow::Show(const std::wstring& caption, const std::wstring& text, const RECT& beside) {
    if (!Create()) return;
    m_layout.reset(new CTipLayout(m_font, kMaxTextWidth));
    SIZE size;
    {
        mx::unique_window_dc screen(nullptr);
        size = m_layout->Arrange(screen.get(), caption, text);
    }
    HMONITOR monitor = MonitorFromRect(&beside, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    const RECT& work = info.rcWork;
    LONG x = beside.right + 2;
    if (x + size.cx > work.right) x = std::max(work.left, beside.left - 2 - size.cx);
    LONG y = std::max(work.top, std::min(beside.top, work.bottom - size.cy));
    SetWindowPos(m_hwnd, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(m_hwnd, nullptr, TRUE);
    UpdateWindow(m_hwnd);
}

void CTipWindow::Hide() {
    if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

LRESULT CALLBACK CTipWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CTipWindow*>(GetPropW(hwnd, kThisProperty));
    switch (message) {
    case WM_PAINT: {
        mx::unique_paint_dc dc(hwnd);
        if (self && self->m_layout) self->m_layout->Draw(dc.get(), {0, 0});
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HRESULT CTipWindow::Render(HFONT font, const std::wstring& caption, const std::wstring& text, UINT& width,
                           UINT& height, std::vector<BYTE>& rgba) {
    CTipLayout layout(font, kMaxTextWidth);
    SIZE size;
    {
        mx::unique_window_dc screen(nullptr);
        size = layout.Arrange(screen.get(), caption, text);
    }
    CBitmapCanvas canvas(static_cast<UINT>(size.cx), static_cast<UINT>(size.cy));
    if (!canvas.Valid()) return E_OUTOFMEMORY;
    layout.Draw(canvas.Dc(), {0, 0});
    width = canvas.Width();
    height = canvas.Height();
    canvas.OpaqueRgba(rgba);
    return S_OK;
}
