#include "image/CxImageBMP.h"
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include "image/CxFile.h"
#include "image/ImageCodecs.h"

namespace {

const char kNotBmp[] = "Not a BMP";
const char kBadInfo[] = "Error reading BMP info";
const char kBadData[] = "Error reading BMP data";
const char kUnknownCompression[] = "unknown compression";
const char kNoMemory[] = "can't allocate memory";
const char kTooLarge[] = "BMP image too large";

const uint64_t kMaxRlePixelsPerByte = 255 * 255 / 4 + 1;
const DWORD kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6;

DWORD Le32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24); }
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

void PutLe32(BYTE* p, DWORD v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

bool ReadExact(CxFile* file, void* buffer, size_t bytes) {
    return bytes == 0 || file->Read(buffer, 1, bytes) == bytes;
}

bool KnownHeaderSize(DWORD size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 ||
           size == 108 || size == 124;
}

uint64_t RowBytes(uint64_t width, DWORD bpp) { return (width * bpp + 31) / 32 * 4; }

// One colour channel of a masked pixel, scaled to 0..255.
struct Channel {
    DWORD mask = 0;
    int shift = 0;
    uint64_t max = 0;

    void Set(DWORD m) {
        mask = m;
        shift = 0;
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        max = m >> shift;
    }
    BYTE Get(DWORD pixel) const {
        if (!max) return 0;
        uint64_t v = (pixel & mask) >> shift;
        return static_cast<BYTE>((v * 255 + max / 2) / max);
    }
};

}  // namespace

struct CxImageBMP::DibHeader {
    DWORD size = 0;
    LONG width = 0;
    DWORD height = 0;  // rows of colour pixels (an icon's mask rows excluded)
    bool topDown = false;
    WORD bpp = 0;
    DWORD compression = 0;
    DWORD clrUsed = 0;
    LONG xppm = 0, yppm = 0;
    bool core = false;
    DWORD masks[4] = {};
    Channel channels[4];  // red, green, blue, alpha
};

bool CxImageBMP::Decode(CxFile* file) {
    if (!file) return SetLastError(kNotBmp), false;
    int64_t start = file->Tell();
    BYTE fileHeader[14];
    size_t got = file->Read(fileHeader, 1, sizeof(fileHeader));
    DWORD offBits = 0;
    if (got >= 2 && fileHeader[0] == 'B' && fileHeader[1] == 'M') {
        if (got < sizeof(fileHeader)) return SetLastError(kBadInfo), false;
        offBits = Le32(fileHeader + 10);
    } else if (start < 0 || !file->Seek(start, SEEK_SET)) {
        return SetLastError(kNotBmp), false;
    }
    return DecodeDib(file, start, offBits, false);
}

bool CxImageBMP::DecodeIconDib(CxFile* file) {
    if (!file) return SetLastError(kNotBmp), false;
    return DecodeDib(file, file->Tell(), 0, true);
}

bool CxImageBMP::ReadHeader(CxFile* file, int64_t end, DibHeader& head) {
    BYTE buffer[124] = {};
    int64_t at = file->Tell();
    if (!ReadExact(file, buffer, 4)) return SetLastError(kBadInfo), false;
    head.size = Le32(buffer);
    if (!KnownHeaderSize(head.size)) return SetLastError(kNotBmp), false;
    if (at < 0 || at + int64_t(head.size) > end || !ReadExact(file, buffer + 4, head.size - 4))
        return SetLastError(kBadInfo), false;
    int64_t height;
    if (head.size == 12) {
        head.core = true;
        head.width = Le16(buffer + 4);
        height = Le16(buffer + 6);
        head.bpp = Le16(buffer + 10);
    } else {
        head.width = static_cast<LONG>(Le32(buffer + 4));
        height = static_cast<LONG>(Le32(buffer + 8));
        head.bpp = Le16(buffer + 14);
        head.compression = Le32(buffer + 16);
        head.xppm = static_cast<LONG>(Le32(buffer + 24));
        head.yppm = static_cast<LONG>(Le32(buffer + 28));
        head.clrUsed = Le32(buffer + 32);
        // Version 2 and later headers carry the masks themselves.
        if (head.size >= 52 && head.size != 64)
            for (int i = 0; i < 3; ++i) head.masks[i] = Le32(buffer + 40 + 4 * i);
        if (head.size >= 56 && head.size != 64) head.masks[3] = Le32(buffer + 52);
    }
    head.topDown = height < 0;
    if (head.width <= 0 || height == 0) return SetLastError(kNotBmp), false;
    head.height = static_cast<DWORD>(height < 0 ? -height : height);
    return true;
}

bool CxImageBMP::ReadMasks(CxFile* file, int64_t end, DibHeader& head) {
    bool masked = head.compression == kBitfields || head.compression == kAlphaBitfields;
    if (masked && head.size == 40) {
        BYTE buffer[16];
        size_t bytes = head.compression == kAlphaBitfields ? 16 : 12;
        if (file->Tell() + int64_t(bytes) > end || !ReadExact(file, buffer, bytes))
            return SetLastError(kBadInfo), false;
        for (size_t i = 0; i < bytes / 4; ++i) head.masks[i] = Le32(buffer + 4 * i);
    }
    if (!masked) {
        bool five = head.bpp == 16;
        head.masks[0] = five ? 0x7C00 : 0xFF0000;
        head.masks[1] = five ? 0x03E0 : 0x00FF00;
        head.masks[2] = five ? 0x001F : 0x0000FF;
        head.masks[3] = five ? 0 : 0xFF000000;
    }
    for (int i = 0; i < 4; ++i) head.channels[i].Set(head.masks[i]);
    return true;
}

bool CxImageBMP::ReadPalette(CxFile* file, int64_t end, const DibHeader& head, RGBQUAD* palette) {
    DWORD colours = head.bpp <= 8 ? 1u << head.bpp : 0;
    uint64_t entries = head.clrUsed ? head.clrUsed : colours;
    uint64_t used = entries < colours ? entries : colours;
    size_t entrySize = head.core ? 3 : 4;
    int64_t at = file->Tell();
    if (at < 0 || uint64_t(at) + used * entrySize > uint64_t(end)) return SetLastError(kBadInfo), false;
    BYTE raw[256 * 4];
    if (!ReadExact(file, raw, size_t(used) * entrySize)) return SetLastError(kBadInfo), false;
    for (uint64_t i = 0; i < used; ++i) {
        const BYTE* p = raw + i * entrySize;
        palette[i].rgbBlue = p[0];
        palette[i].rgbGreen = p[1];
        palette[i].rgbRed = p[2];
        palette[i].rgbReserved = 0;
    }
    // Entries beyond the pixel format's range are skipped, as is an optional
    // table in front of deep pixels; they must still lie within the file.
    uint64_t skip = (entries - used) * entrySize;
    if (uint64_t(at) + entries * entrySize > uint64_t(end)) return SetLastError(kBadInfo), false;
    return file->Seek(int64_t(skip), SEEK_CUR) || (SetLastError(kBadInfo), false);
}

void CxImageBMP::ConvertDeepRow(const BYTE* src, BYTE* dst, const DibHeader& head, BYTE* alpha) const {
    DWORD width = static_cast<DWORD>(head.width);
    for (DWORD x = 0; x < width; ++x) {
        DWORD pixel = head.bpp == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        dst[3 * x] = head.channels[2].Get(pixel);
        dst[3 * x + 1] = head.channels[1].Get(pixel);
        dst[3 * x + 2] = head.channels[0].Get(pixel);
        if (alpha) alpha[x] = head.channels[3].Get(pixel);
    }
}

bool CxImageBMP::ReadRows(CxFile* file, const DibHeader& head, bool keepAlpha) {
    DWORD rows = head.height;
    bool deep = head.bpp == 16 || head.bpp == 32;
    size_t srcBytes = static_cast<size_t>(RowBytes(DWORD(head.width), head.bpp));
    std::unique_ptr<BYTE[]> buffer;
    if (deep) {
        buffer.reset(new (std::nothrow) BYTE[srcBytes]);
        if (!buffer) return SetLastError(kNoMemory), false;
    }
    for (DWORD i = 0; i < rows; ++i) {
        DWORD row = head.topDown ? rows - 1 - i : i;
        BYTE* dst = GetBits(row);
        if (!ReadExact(file, deep ? buffer.get() : dst, srcBytes)) return SetLastError(kBadData), false;
        if (deep) ConvertDeepRow(buffer.get(), dst, head, keepAlpha ? AlphaGetPointer(0, row) : nullptr);
    }
    return true;
}

namespace {

// Expands run-length encoded rows into an image of width x height indices.
class RleExpander {
public:
    RleExpander(CxImage& image, bool four) : m_image(image), m_four(four),
        m_width(image.GetWidth()), m_height(image.GetHeight()) {}

    bool Run(const BYTE* data, size_t size) {
        size_t i = 0;
        DWORD x = 0, y = 0;
        while (i + 2 <= size) {
            BYTE count = data[i], value = data[i + 1];
            i += 2;
            if (count) {
                if (!Fits(x, y, count)) return false;
                for (DWORD k = 0; k < count; ++k) Put(x + k, y, m_four ? Nibble(value, k) : value);
                x += count;
            } else if (value == 0) {
                x = 0;
                ++y;
            } else if (value == 1) {
                return true;
            } else if (value == 2) {
                if (i + 2 > size) return false;
                x += data[i];
                y += data[i + 1];
                i += 2;
                if (x > m_width || y > m_height) return false;
            } else {
                size_t bytes = m_four ? (value + 1) / 2 : value;
                if (i + bytes > size || !Fits(x, y, value)) return false;
                for (DWORD k = 0; k < value; ++k)
                    Put(x + k, y, m_four ? Nibble(data[i + k / 2], k) : data[i + k]);
                x += value;
                i += (bytes + 1) & ~size_t(1);
            }
        }
        // Without an end-of-bitmap mark the data must at least cover every row.
        return y >= m_height;
    }

private:
    static BYTE Nibble(BYTE pair, DWORD k) { return (k & 1) ? (pair & 0x0F) : (pair >> 4); }
    bool Fits(DWORD x, DWORD y, DWORD count) const { return y < m_height && x + count <= m_width; }
    void Put(DWORD x, DWORD y, BYTE index) { m_image.SetPixelIndex(x, y, index); }

    CxImage& m_image;
    bool m_four;
    DWORD m_width, m_height;
};

}  // namespace

bool CxImageBMP::ReadRle(CxFile* file, int64_t end, const DibHeader& head) {
    int64_t at = file->Tell();
    if (at < 0 || at >= end) return SetLastError(kBadData), false;
    uint64_t bytes = uint64_t(end - at);
    if (bytes > kMaxDecodeBytes) bytes = kMaxDecodeBytes;
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[static_cast<size_t>(bytes)]);
    if (!data) return SetLastError(kNoMemory), false;
    size_t got = file->Read(data.get(), 1, static_cast<size_t>(bytes));
    RleExpander expander(*this, head.compression == kRle4);
    if (!expander.Run(data.get(), got)) return SetLastError(kBadData), false;
    return true;
}

bool CxImageBMP::HasAlphaContent() const {
    size_t bytes = size_t(GetWidth()) * GetHeight();
    const BYTE* alpha = AlphaGetPointer();
    for (size_t i = 0; alpha && i < bytes; ++i)
        if (alpha[i]) return true;
    return false;
}

bool CxImageBMP::ReadIconMask(CxFile* file, int64_t end, bool hasAlpha) {
    DWORD width = GetWidth(), height = GetHeight();
    // A 32-bit entry with a real alpha channel needs no mask.
    if (hasAlpha) return true;
    if (!AlphaCreate()) return SetLastError(kNoMemory), false;
    std::memset(AlphaGetPointer(), 255, size_t(width) * height);
    size_t maskBytes = static_cast<size_t>(RowBytes(width, 1));
    int64_t at = file->Tell();
    // Some writers leave the mask out: the picture is then opaque.
    if (at < 0 || uint64_t(at) + uint64_t(maskBytes) * height > uint64_t(end)) return true;
    std::unique_ptr<BYTE[]> mask(new (std::nothrow) BYTE[maskBytes]);
    if (!mask) return SetLastError(kNoMemory), false;
    for (DWORD row = 0; row < height; ++row) {
        if (!ReadExact(file, mask.get(), maskBytes)) return SetLastError(kBadData), false;
        for (DWORD x = 0; x < width; ++x)
            if ((mask[x / 8] >> (7 - (x & 7))) & 1) AlphaSet(x, row, 0);
    }
    return true;
}

bool CxImageBMP::DecodeDib(CxFile* file, int64_t fileStart, DWORD offBits, bool icon) {
    int64_t end = file->Size();
    if (fileStart < 0 || end < fileStart) return SetLastError(kNotBmp), false;
    DibHeader head;
    if (!ReadHeader(file, end, head)) return false;

    DWORD c = head.compression;
    bool os2 = head.size == 64;
    bool knownCompression = c == kRgb || c == kRle8 || c == kRle4 ||
                            (!os2 && (c == kBitfields || c == kAlphaBitfields));
    if (!knownCompression) return SetLastError(kUnknownCompression), false;
    WORD bpp = head.bpp;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return SetLastError(kNotBmp), false;
    bool rle = c == kRle8 || c == kRle4;
    if ((c == kRle8 && bpp != 8) || (c == kRle4 && bpp != 4) ||
        (!rle && c != kRgb && bpp != 16 && bpp != 32) || (rle && head.topDown))
        return SetLastError(kUnknownCompression), false;
    if (icon) {
        head.height /= 2;
        if (head.height == 0 || rle) return SetLastError(kNotBmp), false;
    }
    if (!ReadMasks(file, end, head)) return false;
    RGBQUAD palette[256] = {};
    if (!ReadPalette(file, end, head, palette)) return false;

    if (offBits) {
        if (uint64_t(fileStart) + offBits > uint64_t(end)) return SetLastError(kBadInfo), false;
        if (!file->Seek(fileStart + offBits, SEEK_SET)) return SetLastError(kBadInfo), false;
    }
    DWORD width = static_cast<DWORD>(head.width);
    if (!CheckDecodeSize(width, head.height, bpp, kTooLarge)) return false;
    int64_t at = file->Tell();
    if (at < 0 || at > end) return SetLastError(kBadData), false;
    uint64_t available = uint64_t(end - at);
    if (!rle && RowBytes(width, bpp) * head.height > available) return SetLastError(kBadData), false;
    // A delta escape (4 bytes) skips at most 255 x 255 pixels: no run-length
    // stream covers more than that many pixels per byte.
    if (rle && uint64_t(width) * head.height > available * kMaxRlePixelsPerByte)
        return SetLastError(kBadData), false;

    if (!Create(width, head.height, bpp <= 8 ? bpp : 24, IMAGE_TYPE_BMP))
        return SetLastError(kNoMemory), false;
    if (bpp <= 8) std::memcpy(GetPalette(), palette, GetNumColors() * sizeof(RGBQUAD));
    if (head.xppm > 0) SetXDPI(static_cast<long>((head.xppm * 254LL + 5000) / 10000));
    if (head.yppm > 0) SetYDPI(static_cast<long>((head.yppm * 254LL + 5000) / 10000));

    bool keepAlpha = icon && bpp == 32;
    if (keepAlpha && !AlphaCreate()) return Destroy(), SetLastError(kNoMemory), false;
    bool ok = rle ? ReadRle(file, end, head) : ReadRows(file, head, keepAlpha);
    if (ok && icon) ok = ReadIconMask(file, end, keepAlpha && HasAlphaContent());
    if (!ok) Destroy();
    return ok;
}

bool CxImageBMP::Encode(CxFile* file) {
    if (!IsValid()) return SetLastError("BMP: image is not valid"), false;
    DWORD paletteBytes = GetNumColors() * sizeof(RGBQUAD);
    DWORD dibBytes = GetDIBSize();
    BYTE fileHeader[14] = { 'B', 'M' };
    PutLe32(fileHeader + 2, 14 + dibBytes);
    PutLe32(fileHeader + 10, 14 + sizeof(BITMAPINFOHEADER) + paletteBytes);
    if (file->Write(fileHeader, 1, sizeof(fileHeader)) != sizeof(fileHeader) ||
        file->Write(GetDIB(), 1, dibBytes) != dibBytes)
        return SetLastError("BMP: error writing the file"), false;
    return true;
}

CxImage* MakeBMPCodec() { return new (std::nothrow) CxImageBMP; }
