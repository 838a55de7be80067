// A 32-bit top-down DIB section selected into a memory DC: what the bar draws
// into when it renders off screen (icons, the menu, tooltips, screenshots).
#pragma once
#include <windows.h>
#include <vector>
#include "base/Unique.h"

class CBitmapCanvas {
public:
    CBitmapCanvas(UINT width, UINT height);
    CBitmapCanvas(const CBitmapCanvas&) = delete;
    CBitmapCanvas& operator=(const CBitmapCanvas&) = delete;
    ~CBitmapCanvas();

    bool Valid() const { return m_bits != nullptr; }
    HDC Dc() const { return m_dc.get(); }
    UINT Width() const { return m_width; }
    UINT Height() const { return m_height; }
    // Every pixel := value (0xAARRGGBB as the DIB holds it).
    void Fill(DWORD value);
    // The pixels as GDI left them: blue, green, red, alpha.
    void Bgra(std::vector<BYTE>& bgra);
    // The pixels as opaque RGBA, top row first.
    void OpaqueRgba(std::vector<BYTE>& rgba);

private:
    UINT m_width;
    UINT m_height;
    mx::unique_hdc m_dc;
    mx::unique_hbitmap m_bitmap;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
};
