#include "image/CxImagePNG.h"
#include <png.h>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include "image/CxFile.h"
#include "image/ImageCodecs.h"

namespace {

const uint64_t kMaxInflateRatio = 1100;

enum class Layout { Indexed, Grey, Bgr, Bgra };

// Shared by libpng's callbacks: the stream and the text of the first error.
struct PngIo {
    CxFile* file = nullptr;
    char error[256] = {};
};

void OnPngError(png_structp png, png_const_charp message) {
    PngIo* io = static_cast<PngIo*>(png_get_error_ptr(png));
    snprintf(io->error, sizeof(io->error), "%s", message ? message : "PNG error");
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void OnPngRead(png_structp png, png_bytep data, size_t length) {
    PngIo* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (io->file->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void OnPngWrite(png_structp png, png_bytep data, size_t length) {
    PngIo* io = static_cast<PngIo*>(png_get_io_ptr(png));
    if (io->file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void OnPngFlush(png_structp png) {
    static_cast<PngIo*>(png_get_io_ptr(png))->file->Flush();
}

long PpmToDpi(png_uint_32 ppm) { return static_cast<long>((uint64_t(ppm) * 254 + 5000) / 10000); }

}  // namespace

struct CxImagePNG::ReadState {
    PngIo io;
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0, height = 0;
    int depth = 0;
    Layout layout = Layout::Bgr;
    size_t rowBytes = 0;
    png_color palette[256] = {};
    int paletteSize = 0;
    long xdpi = 0, ydpi = 0;
    std::unique_ptr<BYTE[]> pixels;
    std::unique_ptr<png_bytep[]> rows;

    ~ReadState() { if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct CxImagePNG::WriteState {
    PngIo io;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<BYTE[]> row;

    ~WriteState() { if (png) png_destroy_write_struct(&png, info ? &info : nullptr); }
};

bool CxImagePNG::ReadPng(ReadState& s) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_set_read_fn(s.png, &s.io, OnPngRead);
    png_set_sig_bytes(s.png, 8);
    png_set_user_limits(s.png, kMaxDecodeDimension, kMaxDecodeDimension);
    png_read_info(s.png, s.info);

    int colour = 0, interlace = 0;
    png_get_IHDR(s.png, s.info, &s.width, &s.height, &s.depth, &colour, &interlace, nullptr, nullptr);
    if (!CheckDecodeSize(s.width, s.height, 24, "PNG image too large")) {
        snprintf(s.io.error, sizeof(s.io.error), "%s", GetLastError());
        return false;
    }
    // Deflate expands at most about 1032 times: a picture bigger than the
    // rest of the file can hold is refused before anything is allocated.
    int64_t left = s.io.file->Size() - s.io.file->Tell();
    uint64_t raw = uint64_t(png_get_rowbytes(s.png, s.info)) * s.height;
    if (left < 0 || raw > uint64_t(left) * kMaxInflateRatio + 65536)
        png_error(s.png, "PNG data too short for the picture's size");
    bool trns = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    if (s.depth == 16) png_set_strip_16(s.png);
    if (colour == PNG_COLOR_TYPE_PALETTE && !trns) {
        if (s.depth < 8) png_set_packing(s.png);
        png_colorp entries = nullptr;
        if (png_get_PLTE(s.png, s.info, &entries, &s.paletteSize) && entries) {
            if (s.paletteSize > 256) s.paletteSize = 256;
            std::memcpy(s.palette, entries, sizeof(png_color) * s.paletteSize);
        }
        s.layout = Layout::Indexed;
    } else if (colour == PNG_COLOR_TYPE_GRAY && !trns) {
        if (s.depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
        s.layout = Layout::Grey;
    } else {
        if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(s.png);
        if (!(colour & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(s.png);
        if (trns) png_set_tRNS_to_alpha(s.png);
        png_set_bgr(s.png);
        s.layout = (colour & PNG_COLOR_MASK_ALPHA) || trns ? Layout::Bgra : Layout::Bgr;
    }
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);

    int expected = s.layout == Layout::Bgra ? 4 : s.layout == Layout::Bgr ? 3 : 1;
    s.rowBytes = png_get_rowbytes(s.png, s.info);
    if (png_get_channels(s.png, s.info) != expected || png_get_bit_depth(s.png, s.info) != 8 ||
        s.rowBytes != size_t(s.width) * expected)
        png_error(s.png, "unsupported PNG pixel format");

    png_uint_32 xppm = 0, yppm = 0;
    int unit = 0;
    if (png_get_pHYs(s.png, s.info, &xppm, &yppm, &unit) && unit == PNG_RESOLUTION_METER) {
        s.xdpi = PpmToDpi(xppm);
        s.ydpi = PpmToDpi(yppm);
    }
    s.pixels.reset(new (std::nothrow) BYTE[s.rowBytes * s.height]);
    s.rows.reset(new (std::nothrow) png_bytep[s.height]);
    if (!s.pixels || !s.rows) png_error(s.png, "can't allocate memory");
    for (png_uint_32 y = 0; y < s.height; ++y) s.rows[y] = s.pixels.get() + size_t(y) * s.rowBytes;
    png_read_image(s.png, s.rows.get());
    return true;
}

bool CxImagePNG::StoreDecoded(const ReadState& s) {
    DWORD bpp = s.layout == Layout::Indexed ? (s.depth == 1 ? 1 : s.depth <= 4 ? 4 : 8)
              : s.layout == Layout::Grey ? 8 : 24;
    if (!Create(s.width, s.height, bpp, IMAGE_TYPE_PNG)) return false;
    if (s.layout == Layout::Bgra && !AlphaCreate()) return SetLastError("can't allocate memory"), false;
    if (s.layout == Layout::Grey) SetGrayPalette();
    for (int i = 0; s.layout == Layout::Indexed && i < s.paletteSize; ++i)
        SetPaletteColor(i, s.palette[i].red, s.palette[i].green, s.palette[i].blue);
    if (s.xdpi > 0) SetXDPI(s.xdpi);
    if (s.ydpi > 0) SetYDPI(s.ydpi);

    for (DWORD y = 0; y < s.height; ++y) {
        const BYTE* src = s.rows[y];
        DWORD row = s.height - 1 - y;  // PNG rows run top-down
        BYTE* dst = GetBits(row);
        switch (s.layout) {
        case Layout::Indexed:
            for (DWORD x = 0; x < s.width; ++x) SetPixelIndex(x, row, src[x]);
            break;
        case Layout::Grey:
        case Layout::Bgr:
            std::memcpy(dst, src, s.rowBytes);
            break;
        case Layout::Bgra: {
            BYTE* alpha = AlphaGetPointer(0, row);
            for (DWORD x = 0; x < s.width; ++x) {
                std::memcpy(dst + 3 * x, src + 4 * x, 3);
                alpha[x] = src[4 * x + 3];
            }
            break;
        }
        }
    }
    return true;
}

bool CxImagePNG::Decode(CxFile* file) {
    if (!file) return SetLastError("Not a PNG file"), false;
    BYTE signature[8];
    if (file->Read(signature, 1, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        return SetLastError("Not a PNG file"), false;
    ReadState state;
    state.io.file = file;
    state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state.io, OnPngError, OnPngWarning);
    state.info = state.png ? png_create_info_struct(state.png) : nullptr;
    if (!state.png || !state.info) return SetLastError("can't allocate memory"), false;
    if (!ReadPng(state)) {
        SetLastError(state.io.error[0] ? state.io.error : "PNG error");
        Destroy();
        return false;
    }
    return StoreDecoded(state);
}

bool CxImagePNG::WritePng(WriteState& s) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_set_write_fn(s.png, &s.io, OnPngWrite, OnPngFlush);
    DWORD width = GetWidth(), height = GetHeight();
    bool rgba = AlphaIsValid();
    bool indexed = !rgba && GetNumColors() != 0;
    int colour = rgba ? PNG_COLOR_TYPE_RGB_ALPHA : indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB;
    int depth = indexed ? GetBpp() : 8;
    png_set_IHDR(s.png, s.info, width, height, depth, colour, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_color palette[256];
        DWORD colours = GetNumColors();
        for (DWORD i = 0; i < colours; ++i) {
            RGBQUAD c = GetPaletteColor(i);
            palette[i].red = c.rgbRed;
            palette[i].green = c.rgbGreen;
            palette[i].blue = c.rgbBlue;
        }
        png_set_PLTE(s.png, s.info, palette, static_cast<int>(colours));
        long trans = GetTransIndex();
        if (trans >= 0 && DWORD(trans) < colours) {
            png_byte alpha[256];
            std::memset(alpha, 255, sizeof(alpha));
            alpha[trans] = 0;
            png_set_tRNS(s.png, s.info, alpha, trans + 1, nullptr);
        }
    }
    png_uint_32 xppm = static_cast<png_uint_32>((GetXDPI() * 10000L + 127) / 254);
    png_uint_32 yppm = static_cast<png_uint_32>((GetYDPI() * 10000L + 127) / 254);
    png_set_pHYs(s.png, s.info, xppm, yppm, PNG_RESOLUTION_METER);
    png_write_info(s.png, s.info);
    if (!indexed) png_set_bgr(s.png);

    if (rgba) {
        s.row.reset(new (std::nothrow) BYTE[size_t(width) * 4]);
        if (!s.row) png_error(s.png, "can't allocate memory");
    }
    for (DWORD y = 0; y < height; ++y) {
        DWORD row = height - 1 - y;
        if (!rgba) {
            png_write_row(s.png, GetBits(row));
            continue;
        }
        BYTE* out = s.row.get();
        for (DWORD x = 0; x < width; ++x) {
            RGBQUAD c = GetPixelColor(x, row);
            out[4 * x] = c.rgbBlue;
            out[4 * x + 1] = c.rgbGreen;
            out[4 * x + 2] = c.rgbRed;
            out[4 * x + 3] = c.rgbReserved;
        }
        png_write_row(s.png, out);
    }
    png_write_end(s.png, s.info);
    return true;
}

bool CxImagePNG::Encode(CxFile* file) {
    if (!file || !IsValid()) return SetLastError("PNG: image is not valid"), false;
    WriteState state;
    state.io.file = file;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state.io, OnPngError, OnPngWarning);
    state.info = state.png ? png_create_info_struct(state.png) : nullptr;
    if (!state.png || !state.info) return SetLastError("can't allocate memory"), false;
    if (!WritePng(state)) {
        SetLastError(state.io.error[0] ? state.io.error : "PNG error");
        return false;
    }
    return true;
}

CxImage* MakePNGCodec() { return new (std::nothrow) CxImagePNG; }
