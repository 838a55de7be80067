#include "image/CxImage.h"
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>
#include "base/Unique.h"
#include "image/CxFile.h"
#include "image/CxIOFile.h"
#include "image/CxMemFile.h"
#include "image/ImageCodecs.h"

namespace {

// A pixel block never exceeds this, so every offset fits a DWORD.
const uint64_t kMaxBlockBytes = 1u << 30;
// Smoothed drawing resamples in memory only up to this many target pixels.
const uint64_t kMaxSmoothPixels = 16u << 20;

const DWORD kDetectionOrder[] = { IMAGE_TYPE_BMP, IMAGE_TYPE_JPG, IMAGE_TYPE_ICO,
                                  IMAGE_TYPE_GIF, IMAGE_TYPE_PNG };

struct CodecRow {
    DWORD type;
    CxImage* (*make)();
};
const CodecRow kCodecs[] = {{IMAGE_TYPE_BMP, MakeBMPCodec}, {IMAGE_TYPE_GIF, MakeGIFCodec},
                            {IMAGE_TYPE_JPG, MakeJPGCodec}, {IMAGE_TYPE_PNG, MakePNGCodec},
                            {IMAGE_TYPE_ICO, MakeICOCodec}};

bool IsKnownType(DWORD type) { return type >= IMAGE_TYPE_BMP && type <= IMAGE_TYPE_ICO; }

DWORD RoundBpp(DWORD bpp) {
    if (bpp < 2) return 1;
    if (bpp <= 4) return 4;
    if (bpp <= 8) return 8;
    return 24;
}

// A file's resolution may be anything: worked out in 64 bits and held to
// what the header's field takes.
LONG DpiToPelsPerMeter(long dpi) {
    const long long pels = (static_cast<long long>(dpi) * 10000 + 127) / 254;
    return static_cast<LONG>(std::clamp<long long>(pels, LONG_MIN, LONG_MAX));
}

BYTE Premultiply(BYTE c, BYTE a) { return static_cast<BYTE>((c * a + 127) / 255); }

// Resampling weights of one axis: for every target index the source indices
// and 16.16 weights that sum to 65536. Shrinking averages the covered area,
// enlarging interpolates linearly.
struct AxisTaps {
    std::vector<int> start;  // per target index: first entry in index/weight
    std::vector<int> index;
    std::vector<int> weight;
};

void AddTap(AxisTaps& taps, int index, double weight) {
    taps.index.push_back(index);
    taps.weight.push_back(static_cast<int>(weight * 65536.0 + 0.5));
}

void NormaliseLastTarget(AxisTaps& taps) {
    int first = taps.start.back();
    int sum = 0, largest = first;
    for (int i = first; i < static_cast<int>(taps.weight.size()); ++i) {
        sum += taps.weight[i];
        if (taps.weight[i] > taps.weight[largest]) largest = i;
    }
    taps.weight[largest] += 65536 - sum;
}

AxisTaps MakeTaps(int src, int dst) {
    AxisTaps taps;
    double scale = static_cast<double>(src) / dst;
    for (int i = 0; i < dst; ++i) {
        taps.start.push_back(static_cast<int>(taps.index.size()));
        if (dst < src) {
            double lo = i * scale, hi = (i + 1) * scale;
            for (int j = static_cast<int>(lo); j < src && j < hi; ++j) {
                double from = j < lo ? lo : j, to = j + 1 > hi ? hi : j + 1;
                if (to > from) AddTap(taps, j, (to - from) / scale);
            }
        } else {
            double centre = (i + 0.5) * scale - 0.5;
            int j = centre < 0 ? 0 : static_cast<int>(centre);
            double frac = centre < 0 ? 0 : centre - j;
            AddTap(taps, j, 1.0 - frac);
            AddTap(taps, j + 1 < src ? j + 1 : src - 1, frac);
        }
        NormaliseLastTarget(taps);
    }
    taps.start.push_back(static_cast<int>(taps.index.size()));
    return taps;
}

// One pass over BGRA pixels along an axis: count lines of srcLen pixels
// (stride apart, step between neighbours) into lines of taps.start.size()-1.
void ResampleLines(const DWORD* src, DWORD* dst, int lines, const AxisTaps& taps,
                   int srcStep, int srcStride, int dstStep, int dstStride) {
    int dstLen = static_cast<int>(taps.start.size()) - 1;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < dstLen; ++i) {
            uint32_t sum[4] = { 32768, 32768, 32768, 32768 };
            for (int t = taps.start[i]; t < taps.start[i + 1]; ++t) {
                DWORD p = src[line * srcStride + taps.index[t] * srcStep];
                for (int c = 0; c < 4; ++c) sum[c] += ((p >> (8 * c)) & 0xFF) * taps.weight[t];
            }
            DWORD out = 0;
            for (int c = 0; c < 4; ++c) {
                uint32_t v = sum[c] >> 16;
                out |= (v > 255 ? 255 : v) << (8 * c);
            }
            dst[line * dstStride + i * dstStep] = out;
        }
    }
}

// Restores the DC's clipping after a clip rectangle was applied.
class ClipScope {
public:
    ClipScope(HDC dc, const RECT* clip) : m_dc(dc), m_saved(0) {
        if (!clip) return;
        m_saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
    }
    ~ClipScope() { if (m_saved) ::RestoreDC(m_dc, m_saved); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;
private:
    HDC m_dc;
    int m_saved;
};

}  // namespace

CxImage::CxImage(DWORD imagetype)
    : m_head(), m_effWidth(0), m_transIndex(-1), m_jpegQuality(90), m_alphaMax(255),
      m_xdpi(96), m_ydpi(96), m_type(imagetype), m_lastError() {}

CxImage::~CxImage() {}

void CxImage::Destroy() {
    m_block.reset();
    m_alpha.reset();
    m_head = BITMAPINFOHEADER();
    m_effWidth = 0;
}

void* CxImage::Create(DWORD width, DWORD height, DWORD bpp, DWORD imagetype) {
    Destroy();
    if (width == 0 || height == 0) {
        SetLastError("CxImage::Create : width and height must be greater than zero");
        return nullptr;
    }
    bpp = RoundBpp(bpp);
    uint64_t effWidth = (uint64_t(width) * bpp + 31) / 32 * 4;
    uint64_t paletteBytes = bpp <= 8 ? (uint64_t(1) << bpp) * sizeof(RGBQUAD) : 0;
    uint64_t imageBytes = effWidth * height;
    uint64_t total = sizeof(BITMAPINFOHEADER) + paletteBytes + imageBytes;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || imageBytes > kMaxBlockBytes) {
        SetLastError("CxImage::Create can't allocate memory");
        return nullptr;
    }
    m_block.reset(new (std::nothrow) BYTE[static_cast<size_t>(total)]());
    if (!m_block) {
        SetLastError("CxImage::Create can't allocate memory");
        return nullptr;
    }
    m_head.biSize = sizeof(BITMAPINFOHEADER);
    m_head.biWidth = static_cast<LONG>(width);
    m_head.biHeight = static_cast<LONG>(height);
    m_head.biPlanes = 1;
    m_head.biBitCount = static_cast<WORD>(bpp);
    m_head.biCompression = BI_RGB;
    m_head.biSizeImage = static_cast<DWORD>(imageBytes);
    m_head.biXPelsPerMeter = DpiToPelsPerMeter(m_xdpi);
    m_head.biYPelsPerMeter = DpiToPelsPerMeter(m_ydpi);
    m_effWidth = static_cast<DWORD>(effWidth);
    std::memcpy(m_block.get(), &m_head, sizeof(m_head));
    m_transIndex = -1;
    m_type = imagetype;
    return m_block.get();
}

bool CxImage::CheckDecodeSize(DWORD width, DWORD height, DWORD bpp, const char* tooLarge) {
    uint64_t bytes = (uint64_t(width) * RoundBpp(bpp) + 31) / 32 * 4 * height;
    if (width == 0 || height == 0 || width > kMaxDecodeDimension ||
        height > kMaxDecodeDimension || bytes > kMaxDecodeBytes) {
        SetLastError(tooLarge);
        return false;
    }
    return true;
}

bool CxImage::IsValid() const { return m_block != nullptr; }
DWORD CxImage::GetWidth() const { return m_block ? static_cast<DWORD>(m_head.biWidth) : 0; }
DWORD CxImage::GetHeight() const { return m_block ? static_cast<DWORD>(m_head.biHeight) : 0; }
WORD CxImage::GetBpp() const { return m_block ? m_head.biBitCount : 0; }
const char* CxImage::GetLastError() const { return m_lastError; }

void CxImage::SetLastError(const char* text) {
    if (text == m_lastError) return;
    snprintf(m_lastError, sizeof(m_lastError), "%s", text ? text : "");
}

DWORD CxImage::GetDIBSize() const {
    return m_block ? sizeof(BITMAPINFOHEADER) + GetNumColors() * sizeof(RGBQUAD) +
                         m_head.biSizeImage
                   : 0;
}

DWORD CxImage::GetNumColors() const {
    return m_block && m_head.biBitCount <= 8 ? 1u << m_head.biBitCount : 0;
}

RGBQUAD* CxImage::GetPalette() const {
    if (!GetNumColors()) return nullptr;
    return reinterpret_cast<RGBQUAD*>(m_block.get() + sizeof(BITMAPINFOHEADER));
}

RGBQUAD CxImage::GetPaletteColor(DWORD index) const {
    RGBQUAD colour = {};
    if (index < GetNumColors()) colour = GetPalette()[index];
    return colour;
}

void CxImage::SetPaletteColor(DWORD index, BYTE r, BYTE g, BYTE b) {
    if (index >= GetNumColors()) return;
    RGBQUAD& entry = GetPalette()[index];
    entry.rgbRed = r;
    entry.rgbGreen = g;
    entry.rgbBlue = b;
    entry.rgbReserved = 0;
}

void CxImage::SetGrayPalette() {
    DWORD colours = GetNumColors();
    for (DWORD i = 0; i < colours; ++i) {
        BYTE v = static_cast<BYTE>(i * 255 / (colours - 1));
        SetPaletteColor(i, v, v, v);
    }
}

bool CxImage::IsGrayScale() const {
    DWORD colours = GetNumColors();
    if (!colours) return false;
    const RGBQUAD* palette = GetPalette();
    for (DWORD i = 0; i < colours; ++i) {
        if (palette[i].rgbRed != palette[i].rgbGreen || palette[i].rgbRed != palette[i].rgbBlue)
            return false;
    }
    return true;
}

BYTE* CxImage::GetBits(DWORD row) const {
    if (!m_block || row >= GetHeight()) return nullptr;
    return m_block.get() + sizeof(BITMAPINFOHEADER) + GetNumColors() * sizeof(RGBQUAD) +
           size_t(row) * m_effWidth;
}

BYTE* CxImage::Pixel(DWORD x, DWORD y) const {
    if (x >= GetWidth() || y >= GetHeight()) return nullptr;
    return GetBits(y) + size_t(x) * m_head.biBitCount / 8;
}

BYTE CxImage::GetPixelIndex(DWORD x, DWORD y) const {
    const BYTE* p = Pixel(x, y);
    if (!p) return 0;
    switch (m_head.biBitCount) {
    case 8: return *p;
    case 4: return (x & 1) ? (*p & 0x0F) : (*p >> 4);
    case 1: return (*p >> (7 - (x & 7))) & 1;
    default: return 0;
    }
}

void CxImage::SetPixelIndex(DWORD x, DWORD y, BYTE index) {
    BYTE* p = Pixel(x, y);
    if (!p || index >= GetNumColors()) return;
    switch (m_head.biBitCount) {
    case 8: *p = index; break;
    case 4: *p = (x & 1) ? ((*p & 0xF0) | index) : static_cast<BYTE>((*p & 0x0F) | (index << 4)); break;
    case 1: {
        BYTE bit = static_cast<BYTE>(0x80 >> (x & 7));
        *p = index ? (*p | bit) : (*p & ~bit);
        break;
    }
    default: break;
    }
}

RGBQUAD CxImage::GetPixelColor(DWORD x, DWORD y) const {
    RGBQUAD colour = {};
    const BYTE* p = Pixel(x, y);
    if (!p) return colour;
    if (GetNumColors()) {
        colour = GetPalette()[GetPixelIndex(x, y)];
    } else {
        colour.rgbBlue = p[0];
        colour.rgbGreen = p[1];
        colour.rgbRed = p[2];
    }
    colour.rgbReserved = m_alpha ? AlphaGet(x, y) : 255;
    return colour;
}

void CxImage::SetPixelColor(DWORD x, DWORD y, RGBQUAD colour, bool setAlpha) {
    BYTE* p = Pixel(x, y);
    if (!p) return;
    if (GetNumColors()) {
        // Palette images take the nearest entry.
        const RGBQUAD* palette = GetPalette();
        DWORD best = 0, bestDistance = 0xFFFFFFFF;
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            int db = palette[i].rgbBlue - colour.rgbBlue, dg = palette[i].rgbGreen - colour.rgbGreen,
                dr = palette[i].rgbRed - colour.rgbRed;
            DWORD distance = static_cast<DWORD>(db * db + dg * dg + dr * dr);
            if (distance < bestDistance) { best = i; bestDistance = distance; }
        }
        SetPixelIndex(x, y, static_cast<BYTE>(best));
    } else {
        p[0] = colour.rgbBlue;
        p[1] = colour.rgbGreen;
        p[2] = colour.rgbRed;
    }
    if (setAlpha && m_alpha) AlphaSet(x, y, colour.rgbReserved);
}

bool CxImage::AlphaCreate() {
    if (!m_block) return false;
    if (m_alpha) return true;
    size_t bytes = size_t(GetWidth()) * GetHeight();
    m_alpha.reset(new (std::nothrow) BYTE[bytes]);
    if (!m_alpha) return false;
    std::memset(m_alpha.get(), 255, bytes);
    return true;
}

void CxImage::AlphaDelete() { m_alpha.reset(); }

BYTE* CxImage::AlphaGetPointer(DWORD x, DWORD y) const {
    if (!m_alpha || x >= GetWidth() || y >= GetHeight()) return nullptr;
    return m_alpha.get() + size_t(y) * GetWidth() + x;
}

BYTE CxImage::AlphaGet(DWORD x, DWORD y) const {
    const BYTE* p = AlphaGetPointer(x, y);
    return p ? *p : 255;
}

void CxImage::AlphaSet(DWORD x, DWORD y, BYTE alpha) {
    BYTE* p = AlphaGetPointer(x, y);
    if (p) *p = alpha;
}

void CxImage::SetXDPI(long dpi) {
    m_xdpi = dpi > 0 && dpi < 0x100000 ? dpi : 96;
    SyncHeader();
}

void CxImage::SetYDPI(long dpi) {
    m_ydpi = dpi > 0 && dpi < 0x100000 ? dpi : 96;
    SyncHeader();
}

void CxImage::SyncHeader() {
    if (!m_block) return;
    m_head.biXPelsPerMeter = DpiToPelsPerMeter(m_xdpi);
    m_head.biYPelsPerMeter = DpiToPelsPerMeter(m_ydpi);
    std::memcpy(m_block.get(), &m_head, sizeof(m_head));
}

void CxImage::Transfer(CxImage& from) {
    if (&from == this) return;
    m_block = std::move(from.m_block);
    m_alpha = std::move(from.m_alpha);
    m_head = from.m_head;
    m_effWidth = from.m_effWidth;
    m_transIndex = from.m_transIndex;
    m_xdpi = from.m_xdpi;
    m_ydpi = from.m_ydpi;
    m_type = from.m_type;
    CopySettings(from);
    from.Destroy();
}

void CxImage::CopySettings(const CxImage& from) {
    m_jpegQuality = from.m_jpegQuality;
    m_alphaMax = from.m_alphaMax;
}

// ---- loading and saving ----

std::unique_ptr<CxImage> CxImage::MakeCodec(DWORD imagetype) {
    for (const CodecRow& row : kCodecs)
        if (row.type == imagetype) return std::unique_ptr<CxImage>(row.make());
    return nullptr;
}

bool CxImage::DecodeAs(CxFile* file, DWORD imagetype) {
    std::unique_ptr<CxImage> codec = MakeCodec(imagetype);
    if (!codec) {
        SetLastError("Decode: can't allocate memory");
        return false;
    }
    if (!codec->CodecDecode(file) || !codec->IsValid()) {
        SetLastError(codec->GetLastError());
        return false;
    }
    // The picture comes from the file; the settings stay the caller's.
    BYTE quality = m_jpegQuality, alphaMax = m_alphaMax;
    codec->m_type = imagetype;
    Transfer(*codec);
    m_jpegQuality = quality;
    m_alphaMax = alphaMax;
    return true;
}

bool CxImage::Decode(CxFile* file, DWORD imagetype) {
    Destroy();
    if (!file) {
        SetLastError("Decode: no file");
        return false;
    }
    if (IsKnownType(imagetype)) return DecodeAs(file, imagetype);
    int64_t start = file->Tell();
    for (DWORD type : kDetectionOrder) {
        if (start < 0 || !file->Seek(start, SEEK_SET)) break;
        if (DecodeAs(file, type)) return true;
    }
    SetLastError("Decode: Unknown or wrong format");
    return false;
}

bool CxImage::Load(const WCHAR* filename, DWORD imagetype) {
    Destroy();
    SetLastError("");
    if (IsKnownType(imagetype)) {
        CxIOFile file;
        if (!file.Open(filename, L"rb")) return false;
        if (Decode(&file, imagetype)) return true;
    }
    char firstError[sizeof(m_lastError)];
    std::memcpy(firstError, m_lastError, sizeof(firstError));
    CxIOFile file;
    if (!file.Open(filename, L"rb")) return false;
    if (Decode(&file, IMAGE_TYPE_AUTO)) return true;
    if (IsKnownType(imagetype)) SetLastError(firstError);
    return false;
}

bool CxImage::LoadFromResource(HRSRC hRes, DWORD imagetype, HMODULE hModule) {
    Destroy();
    if (!hRes) {
        SetLastError("Unable to find resource!");
        return false;
    }
    DWORD size = ::SizeofResource(hModule, hRes);
    HGLOBAL handle = ::LoadResource(hModule, hRes);
    void* data = handle ? ::LockResource(handle) : nullptr;
    if (!data) {
        SetLastError("Unable to load resource!");
        return false;
    }
    // Resource memory is read-only; the decoders only read through the file.
    CxMemFile file(static_cast<BYTE*>(data), size);
    return Decode(&file, imagetype);
}

bool CxImage::EncodeAs(CxFile* file, DWORD imagetype) {
    std::unique_ptr<CxImage> codec = MakeCodec(imagetype);
    if (!codec) {
        SetLastError("Encode: can't allocate memory");
        return false;
    }
    // The codec borrows the picture for the encode and gives it back.
    codec->Transfer(*this);
    bool ok = codec->CodecEncode(file);
    Transfer(*codec);
    if (!ok) SetLastError(codec->GetLastError());
    return ok;
}

bool CxImage::Encode(CxFile* file, DWORD imagetype) {
    if (!IsKnownType(imagetype)) {
        SetLastError("Encode: Unknown format");
        return false;
    }
    if (!file) {
        SetLastError("Encode: no file");
        return false;
    }
    if (!IsValid()) {
        SetLastError("Encode: image is not valid");
        return false;
    }
    return EncodeAs(file, imagetype);
}

bool CxImage::Save(const WCHAR* filename, DWORD imagetype) {
    CxIOFile file;
    if (!file.Open(filename, L"wb")) {
        SetLastError("Save: can't create the file");
        return false;
    }
    bool ok = Encode(&file, imagetype);
    // A full disk shows only when the buffered tail is written out.
    if (!file.Close() && ok) {
        SetLastError("Save: error writing the file");
        ok = false;
    }
    return ok;
}

// ---- drawing ----

void CxImage::FillPremultiplied(DWORD* pixels) const {
    DWORD width = GetWidth(), height = GetHeight();
    bool palette = GetNumColors() != 0;
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = GetBits(y);
        const BYTE* alpha = m_alpha ? m_alpha.get() + size_t(y) * width : nullptr;
        DWORD* out = pixels + size_t(y) * width;
        for (DWORD x = 0; x < width; ++x) {
            RGBQUAD c;
            BYTE a = 255;
            if (palette) {
                BYTE index = GetPixelIndex(x, y);
                c = GetPalette()[index];
                if (static_cast<long>(index) == m_transIndex) a = 0;
            } else {
                c.rgbBlue = row[3 * x];
                c.rgbGreen = row[3 * x + 1];
                c.rgbRed = row[3 * x + 2];
            }
            if (alpha) a = alpha[x];
            out[x] = (DWORD(a) << 24) | (DWORD(Premultiply(c.rgbRed, a)) << 16) |
                     (DWORD(Premultiply(c.rgbGreen, a)) << 8) | Premultiply(c.rgbBlue, a);
        }
    }
}

bool CxImage::DrawAlpha(HDC hdc, long x, long y, long cx, long cy, bool smooth) {
    long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    bool resample = smooth && (cx != width || cy != height) &&
                    uint64_t(cx) * uint64_t(cy) <= kMaxSmoothPixels;
    long dibWidth = resample ? cx : width, dibHeight = resample ? cy : height;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = dibWidth;
    info.bmiHeader.biHeight = dibHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    mx::unique_window_dc screen(nullptr);
    mx::unique_hbitmap dib(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return false;

    DWORD* pixels = static_cast<DWORD*>(bits);
    if (resample) {
        std::vector<DWORD> source, across;
        try {
            source.resize(size_t(width) * height);
            across.resize(size_t(cx) * height);
        } catch (const std::bad_alloc&) {
            return false;
        }
        FillPremultiplied(source.data());
        ResampleLines(source.data(), across.data(), height, MakeTaps(width, cx), 1, width, 1, cx);
        ResampleLines(across.data(), pixels, cx, MakeTaps(height, cy), cx, 1, cx, 1);
    } else {
        FillPremultiplied(pixels);
    }

    mx::unique_hdc memory(::CreateCompatibleDC(hdc));
    if (!memory) memory.reset(::CreateCompatibleDC(nullptr));
    if (!memory) return false;
    mx::unique_select_object selected(memory.get(), dib.get());
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, m_alphaMax, AC_SRC_ALPHA };
    return ::AlphaBlend(hdc, x, y, cx, cy, memory.get(), 0, 0, dibWidth, dibHeight, blend) != FALSE;
}

long CxImage::Draw(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect, bool bSmooth) {
    if (!hdc || !IsValid()) return 0;
    if (cx <= 0) cx = static_cast<long>(GetWidth());
    if (cy <= 0) cy = static_cast<long>(GetHeight());
    if (cx <= 0 || cy <= 0) return 0;
    ClipScope clip(hdc, pClipRect);
    if (DrawAlpha(hdc, x, y, cx, cy, bSmooth)) return 1;
    DrawPlain(hdc, x, y, cx, cy, nullptr);
    return 0;
}

long CxImage::DrawPlain(HDC hdc, long x, long y, long cx, long cy, RECT* pClipRect) {
    if (!hdc || !IsValid()) return 0;
    if (cx <= 0) cx = static_cast<long>(GetWidth());
    if (cy <= 0) cy = static_cast<long>(GetHeight());
    DWORD width = GetWidth(), height = GetHeight();
    DWORD rowBytes = (width * 3 + 3) & ~3u;
    std::unique_ptr<BYTE[]> rows(new (std::nothrow) BYTE[size_t(rowBytes) * height]);
    std::unique_ptr<DWORD[]> pixels(new (std::nothrow) DWORD[size_t(width) * height]);
    if (!rows || !pixels) return 0;
    FillPremultiplied(pixels.get());

    COLORREF background = ::GetBkColor(hdc);
    if (background == CLR_INVALID) background = RGB(255, 255, 255);
    for (DWORD row = 0; row < height; ++row) {
        BYTE* out = rows.get() + size_t(row) * rowBytes;
        for (DWORD col = 0; col < width; ++col) {
            DWORD p = pixels[size_t(row) * width + col];
            // Overall opacity: the pixel's alpha scaled by the alpha maximum.
            DWORD a = (p >> 24) * m_alphaMax / 255;
            DWORD keep = 255 - a;
            for (int c = 0; c < 3; ++c) {
                DWORD src = ((p >> (8 * c)) & 0xFF) * m_alphaMax / 255;
                DWORD bg = (c == 0 ? GetBValue(background) : c == 1 ? GetGValue(background)
                                                                      : GetRValue(background));
                DWORD v = src + (bg * keep + 127) / 255;
                out[3 * col + c] = static_cast<BYTE>(v > 255 ? 255 : v);
            }
        }
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    ClipScope clip(hdc, pClipRect);
    int lines = ::StretchDIBits(hdc, x, y, cx, cy, 0, 0, static_cast<int>(width),
                                static_cast<int>(height), rows.get(), &info, DIB_RGB_COLORS, SRCCOPY);
    return lines > 0 ? 1 : 0;
}
