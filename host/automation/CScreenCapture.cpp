#include "host/automation/CScreenCapture.h"
#include "host/bar/CBitmapCanvas.h"

HRESULT CScreenCapture::Window(HWND window, UINT& width, UINT& height, std::vector<BYTE>& rgba) {
    RECT frame;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &frame)) return E_UNEXPECTED;
    return Area(frame, width, height, rgba);
}

HRESULT CScreenCapture::Area(const RECT& area, UINT& width, UINT& height, std::vector<BYTE>& rgba) {
    if (area.right <= area.left || area.bottom <= area.top) return E_UNEXPECTED;
    width = static_cast<UINT>(area.right - area.left);
    height = static_cast<UINT>(area.bottom - area.top);
    mx::unique_window_dc screen(nullptr);
    CBitmapCanvas canvas(width, height);
    if (!screen || !canvas.Valid()) return E_OUTOFMEMORY;
    if (!BitBlt(canvas.Dc(), 0, 0, static_cast<int>(width), static_cast<int>(height), screen.get(),
                area.left, area.top, SRCCOPY))
        return HRESULT_FROM_WIN32(GetLastError());
    canvas.OpaqueRgba(rgba);
    return S_OK;
}
