#include "clipdata/CDibLayout.h"

#include <climits>
#include <cstring>

#ifndef BI_ALPHABITFIELDS
#define BI_ALPHABITFIELDS 6
#endif

CDibLayout::CDibLayout(const BYTE* block, SIZE_T size) : m_head(), m_drawable(false) {
    if (!block || size < sizeof(m_head)) return;
    std::memcpy(&m_head, block, sizeof(m_head));
    m_drawable = CheckDrawable(size);
}

LONG CDibLayout::AbsoluteHeight() const {
    if (m_head.biHeight == LONG_MIN) return 0;
    return m_head.biHeight < 0 ? -m_head.biHeight : m_head.biHeight;
}

ULONGLONG CDibLayout::PixelOffset(const BITMAPINFOHEADER& head) {
    ULONGLONG offset = head.biSize;
    if (head.biSize == sizeof(BITMAPINFOHEADER)) {
        if (head.biCompression == BI_BITFIELDS) offset += 3 * sizeof(DWORD);
        if (head.biCompression == BI_ALPHABITFIELDS) offset += 4 * sizeof(DWORD);
    }
    ULONGLONG colours = head.biClrUsed;
    if (colours == 0 && head.biBitCount <= 8) colours = 1ull << head.biBitCount;
    return offset + colours * sizeof(RGBQUAD);
}

bool CDibLayout::CheckDepth() const {
    const WORD bits = m_head.biBitCount;
    switch (m_head.biCompression) {
    case BI_RGB:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_RLE8:
        return bits == 8 && m_head.biHeight > 0;
    case BI_RLE4:
        return bits == 4 && m_head.biHeight > 0;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        return bits == 16 || bits == 32;
    default:
        return false;  // JPEG, PNG and unknown compressions are not drawn
    }
}

bool CDibLayout::CheckDrawable(SIZE_T size) const {
    if (m_head.biSize < sizeof(BITMAPINFOHEADER) || m_head.biSize > size) return false;
    if (m_head.biPlanes != 1 || m_head.biWidth <= 0 || AbsoluteHeight() <= 0) return false;
    if (!CheckDepth()) return false;
    if (m_head.biBitCount <= 8 && m_head.biClrUsed > (1u << m_head.biBitCount)) return false;

    const ULONGLONG offset = PixelOffset(m_head);
    if (offset > size) return false;
    const ULONGLONG available = size - offset;
    if (m_head.biCompression == BI_RLE8 || m_head.biCompression == BI_RLE4)
        return m_head.biSizeImage > 0 && m_head.biSizeImage <= available;

    const ULONGLONG stride =
        (static_cast<ULONGLONG>(m_head.biWidth) * m_head.biBitCount + 31) / 32 * 4;
    return stride <= available && static_cast<ULONGLONG>(AbsoluteHeight()) <= available / stride;
}
