#include "tests/support/CDibCanvas.h"

#include <algorithm>
#include <cstdlib>

namespace mxtest {

DWORD PixelOf(COLORREF colour, BYTE alpha) {
    return DWORD(alpha) << 24 | GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
}

COLORREF ColourOf(DWORD pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

bool Near(DWORD a, DWORD b, int tolerance, bool withAlpha) {
    for (int channel = 0; channel < (withAlpha ? 4 : 3); ++channel) {
        const int shift = 8 * channel;
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    }
    return true;
}

CDibCanvas::CDibCanvas(int width, int height, DWORD fill)
    : m_width(width), m_height(height), m_dc(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_bitmap || !bits) return;
    m_bits = static_cast<DWORD*>(bits);
    std::fill(m_bits, m_bits + width * height, fill);
    m_oldBitmap = SelectObject(m_dc, m_bitmap);
}

CDibCanvas::~CDibCanvas() {
    if (m_replaced) SelectObject(m_dc, m_replaced);
    if (m_oldBitmap) SelectObject(m_dc, m_oldBitmap);
    if (m_bitmap) DeleteObject(m_bitmap);
    DeleteDC(m_dc);
}

DWORD CDibCanvas::At(int x, int y) const {
    GdiFlush();
    return m_bits[y * m_width + x];
}

int CDibCanvas::Count(const RECT& area, const std::function<bool(DWORD)>& test) const {
    GdiFlush();
    int count = 0;
    for (int y = std::max(0L, area.top); y < std::min(LONG(m_height), area.bottom); ++y)
        for (int x = std::max(0L, area.left); x < std::min(LONG(m_width), area.right); ++x)
            count += test(m_bits[y * m_width + x]) ? 1 : 0;
    return count;
}

int CDibCanvas::Count(const std::function<bool(DWORD)>& test) const {
    return Count(RECT{0, 0, m_width, m_height}, test);
}

int CDibCanvas::CountRgb(DWORD rgb) const {
    return Count([rgb](DWORD pixel) { return (pixel & 0xFFFFFF) == (rgb & 0xFFFFFF); });
}

int CDibCanvas::CountOther(const RECT& area, COLORREF colour, int tolerance) const {
    const DWORD wanted = PixelOf(colour);
    return Count(area, [&](DWORD pixel) { return !Near(pixel, wanted, tolerance, false); });
}

int CDibCanvas::CountOther(COLORREF colour, int tolerance) const {
    return CountOther(RECT{0, 0, m_width, m_height}, colour, tolerance);
}

void CDibCanvas::Select(HGDIOBJ object) {
    HGDIOBJ old = SelectObject(m_dc, object);
    if (!m_replaced) m_replaced = old;
}

}  // namespace mxtest
