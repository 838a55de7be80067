// Facts about a packed DIB taken from another program's clipboard block.
// Nothing in the header is trusted: every size is checked against the
// block before anything reads pixels from it or allocates for it.
#pragma once
#include <windows.h>

class CDibLayout {
public:
    // The first bytes of a DIB as the bitmap format keeps them.
    static const SIZE_T HeadSize = 44;

    CDibLayout(const BYTE* block, SIZE_T size);

    // The header describes a picture that GDI can draw and whose pixels
    // all lie inside the block.
    bool IsDrawable() const { return m_drawable; }
    LONG Width() const { return m_head.biWidth; }
    // Rows, whichever way they run (a top-down DIB has a negative height).
    LONG AbsoluteHeight() const;

    // Offset of the pixel array as a BMP file header states it: header,
    // the three masks of a 40-byte BI_BITFIELDS header, and the colour table.
    static ULONGLONG PixelOffset(const BITMAPINFOHEADER& head);

private:
    bool CheckDrawable(SIZE_T size) const;
    bool CheckDepth() const;

    BITMAPINFOHEADER m_head;
    bool m_drawable;
};
