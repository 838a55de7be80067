#include "host/bar/CBitmapCanvas.h"
#include <algorithm>

CBitmapCanvas::CBitmapCanvas(UINT width, UINT height) : m_width(width), m_height(height) {
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc.reset(CreateCompatibleDC(nullptr));
    if (!m_dc) return;
    void* bits = nullptr;
    m_bitmap.reset(CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap || !bits) return;
    m_old = SelectObject(m_dc.get(), m_bitmap.get());
    m_bits = static_cast<DWORD*>(bits);
}

CBitmapCanvas::~CBitmapCanvas() {
    if (m_old) SelectObject(m_dc.get(), m_old);
}

void CBitmapCanvas::Fill(DWORD value) {
    if (!m_bits) return;
    GdiFlush();
    std::fill(m_bits, m_bits + static_cast<size_t>(m_width) * m_height, value);
}

void CBitmapCanvas::Bgra(std::vector<BYTE>& bgra) {
    bgra.clear();
    if (!m_bits) return;
    GdiFlush();
    const BYTE* first = reinterpret_cast<const BYTE*>(m_bits);
    bgra.assign(first, first + static_cast<size_t>(m_width) * m_height * 4);
}

void CBitmapCanvas::OpaqueRgba(std::vector<BYTE>& rgba) {
    Bgra(rgba);
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        std::swap(rgba[i], rgba[i + 2]);
        rgba[i + 3] = 255;
    }
}
