#include "host/CScreenCapture.h"
#include "plugin/Unique.h"

HRESULT CScreenCapture::Window(HWND window, UINT& width, UINT& height, std::vector<BYTE>& rgba) {
    RECT frame;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &frame)) return E_UNEXPECTED;
    width = static_cast<UINT>(frame.right - frame.left);
    height = static_cast<UINT>(frame.bottom - frame.top);
    if (width == 0 || height == 0) return E_UNEXPECTED;
    mx::unique_window_dc screen(nullptr);
    mx::unique_hdc dc(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    mx::unique_hbitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !dc || !bitmap || !bits) return E_OUTOFMEMORY;
    {
        mx::unique_select_object select(dc.get(), bitmap.get());
        if (!BitBlt(dc.get(), 0, 0, static_cast<int>(width), static_cast<int>(height), screen.get(),
                    frame.left, frame.top, SRCCOPY))
            return HRESULT_FROM_WIN32(GetLastError());
        GdiFlush();
    }
    const BYTE* bgra = static_cast<const BYTE*>(bits);
    rgba.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = bgra[i + 2];
        rgba[i + 1] = bgra[i + 1];
        rgba[i + 2] = bgra[i];
        rgba[i + 3] = 255;
    }
    return S_OK;
}
