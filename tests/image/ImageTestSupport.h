// Helpers for the image layer's tests: temporary files, a 32-bit DIB section
// to draw on, BMP files built byte by byte, and PNG/JPEG files written and
// read through libpng and libjpeg directly (independently of the codecs).
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/CDibCanvas.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"

class CxImage;

namespace imgtest {

using mxtest::Bytes;
using mxtest::CDibCanvas;
using mxtest::CTempFolder;
using mxtest::FileSizeOf;
using mxtest::Near;
using mxtest::ReadFileBytes;
using mxtest::WriteFileBytes;

void Put16(Bytes& out, uint32_t value);
void Put32(Bytes& out, uint32_t value);
void Set32(Bytes& out, size_t at, uint32_t value);
uint32_t Get32(const Bytes& in, size_t at);

// A BMP file (or, without the file header, a bare DIB) assembled from parts.
struct BmpSpec {
    int width = 0;
    int height = 0;  // negative: top-down rows
    int bpp = 24;
    uint32_t compression = 0;
    uint32_t headerSize = 40;   // 12, 40, 108 or 124
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    uint32_t clrUsed = 0;
    std::vector<uint32_t> masks;    // red, green, blue (, alpha)
    Bytes pixels;                   // the stored pixel data
    uint32_t gap = 0;               // junk bytes between the tables and the pixels
    bool fileHeader = true;
};
Bytes MakeBmp(const BmpSpec& shape);

// Bottom-up uncompressed rows of bpp bits; value(x, yTop) gives the stored
// bits of one pixel (index, 16-bit word, or 0x00RRGGBB for 24 and 32 bits).
template <typename F>
Bytes PackRows(int width, int height, int bpp, bool topDown, F value) {
    size_t rowBytes = (size_t(width) * bpp + 31) / 32 * 4;
    Bytes out(rowBytes * height, 0);
    for (int r = 0; r < height; ++r) {
        int yTop = topDown ? r : height - 1 - r;
        uint8_t* row = out.data() + rowBytes * r;
        for (int x = 0; x < width; ++x) {
            uint32_t v = value(x, yTop);
            switch (bpp) {
            case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: row[x] = uint8_t(v); break;
            case 16: row[2 * x] = uint8_t(v); row[2 * x + 1] = uint8_t(v >> 8); break;
            case 24: for (int c = 0; c < 3; ++c) row[3 * x + c] = uint8_t(v >> (8 * c)); break;
            case 32: for (int c = 0; c < 4; ++c) row[4 * x + c] = uint8_t(v >> (8 * c)); break;
            }
        }
    }
    return out;
}

// Draws a BMP file's DIB with StretchDIBits onto a canvas filled with
// background; answers the pixels top-down (0xAARRGGBB with alpha cleared).
std::vector<uint32_t> RenderWithGdi(const Bytes& bmpFile, uint32_t background);

// The decoded picture's pixels top-down as 0xAARRGGBB.
std::vector<uint32_t> PixelsTopDown(const CxImage& image);

// PNG written by libpng: rows top-down, packed as libpng expects them.
struct PngSpec {
    int width = 0, height = 0;
    int colourType = 2, depth = 8;
    bool interlace = false;
    Bytes rows;
    std::vector<uint32_t> palette;  // 0x00RRGGBB
    Bytes trns;                     // palette alpha values
    int trnsGrey = -1;              // grey tRNS value
};
Bytes MakePng(const PngSpec& shape);

struct PngFacts {
    bool ok = false;
    int width = 0, height = 0, colourType = -1, depth = 0;
    bool hasTrns = false;
    bool hasPhys = false;
    uint32_t xppm = 0, yppm = 0;
    int unit = -1;
    std::vector<uint32_t> argb;  // top-down, alpha 255 where the file has none
};
PngFacts ReadPng(const Bytes& file);

struct JpegFacts {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    int densityUnit = -1, xDensity = 0, yDensity = 0;
    Bytes samples;  // top-down, components bytes per pixel
};
JpegFacts ReadJpeg(const Bytes& file);
// samples: top-down, components (1 or 3, RGB) bytes per pixel.
Bytes MakeJpeg(int width, int height, int components, const Bytes& samples, int quality);

}  // namespace imgtest
