#include "zab/ZABMeasure.h"

#include "base/Unique.h"

POINT ZABMapDialogUnits(HWND window, int x, int y) {
    RECT rect = {0, 0, x, y};
    if (window && ::MapDialogRect(window, &rect)) return {rect.right, rect.bottom};
    const LONG base = ::GetDialogBaseUnits();
    return {::MulDiv(x, LOWORD(base), 4), ::MulDiv(y, HIWORD(base), 8)};
}

SIZE ZABMeasureText(const WCHAR* text, int wrapWidth) {
    mx::unique_hdc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return {0, 0};
    mx::unique_select_object font(dc.get(), ::GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 3, 3};
    UINT format = DT_CALCRECT | DT_EDITCONTROL;
    if (wrapWidth > 0) format |= DT_WORDBREAK;
    ::DrawTextW(dc.get(), text ? text : L"W", -1, &rect, format);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

RECT ZABWorkAreaNear(HWND window) {
    RECT work = {};
    ::GetClientRect(::GetDesktopWindow(), &work);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor && ::GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    return work;
}
