// One WM_PAINT's drawing: BeginPaint on construction, EndPaint when it goes.
#pragma once
#include <windows.h>

class CZABPaint {
public:
    explicit CZABPaint(HWND window) : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
    ~CZABPaint() {
        if (m_dc) ::EndPaint(m_window, &m_paint);
    }
    CZABPaint(const CZABPaint&) = delete;
    CZABPaint& operator=(const CZABPaint&) = delete;

    HDC dc() const { return m_dc; }
    const RECT& area() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// Answers WM_PAINT, and WM_PRINTCLIENT with the caller's device context,
// by painting with `paint(dc)`; false for every other message.
template <typename Painter>
bool ZABAnswerPaint(HWND window, UINT message, WPARAM wParam, Painter paint) {
    if (message == WM_PRINTCLIENT) {
        paint(reinterpret_cast<HDC>(wParam));
        return true;
    }
    if (message != WM_PAINT) return false;
    CZABPaint scope(window);
    if (scope.dc()) paint(scope.dc());
    return true;
}
