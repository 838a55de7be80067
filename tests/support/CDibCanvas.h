// A top-down 32-bit DIB section selected into a memory DC, to draw on and
// read back pixel by pixel.
#pragma once
#include <windows.h>

#include <functional>

namespace mxtest {

// The stored form of a colour: 0xAARRGGBB.
DWORD PixelOf(COLORREF colour, BYTE alpha = 0xFF);
COLORREF ColourOf(DWORD pixel);
// Channel by channel within tolerance, the alpha channels too unless told.
bool Near(DWORD a, DWORD b, int tolerance, bool withAlpha = true);

class CDibCanvas {
public:
    CDibCanvas(int width, int height, DWORD fill);  // fill: 0xAARRGGBB
    ~CDibCanvas();
    CDibCanvas(const CDibCanvas&) = delete;
    CDibCanvas& operator=(const CDibCanvas&) = delete;

    bool ok() const { return m_bits != nullptr; }
    HDC dc() const { return m_dc; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixel as stored, row 0 at the top.
    DWORD At(int x, int y) const;
    COLORREF Colour(int x, int y) const { return ColourOf(At(x, y)); }
    // The pixel without its alpha byte: 0x00RRGGBB.
    DWORD Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
    int CountRgb(DWORD rgb) const;
    // Pixels in the rectangle for which the test holds.
    int Count(const RECT& area, const std::function<bool(DWORD)>& test) const;
    int Count(const std::function<bool(DWORD)>& test) const;
    // Pixels whose colour is not within tolerance of the colour.
    int CountOther(const RECT& area, COLORREF colour, int tolerance = 0) const;
    int CountOther(COLORREF colour, int tolerance = 0) const;
    // Selects a font (or another GDI object) into the DC; the first one it
    // replaced goes back when the canvas goes.
    void Select(HGDIOBJ object);

private:
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap = nullptr;
    DWORD* m_bits = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HGDIOBJ m_replaced = nullptr;
};

}  // namespace mxtest
