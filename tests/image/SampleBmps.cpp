#include "tests/image/SampleBmps.h"

namespace imgtest {

namespace {

const int W = 13, H = 7;  // odd width: every row needs padding

uint32_t Opaque(uint32_t rgb) { return 0xFF000000u | rgb; }

std::vector<uint32_t> Palette(int colours) {
    std::vector<uint32_t> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(uint32_t((i * 37 + 11) & 255) << 16 | uint32_t((255 - i * 13) & 255) << 8 |
                          uint32_t((i * 71) & 255));
    return palette;
}

int IndexAt(int x, int y, int colours) { return (x * 3 + y * 5 + x * y) % colours; }

uint32_t RgbAt(int x, int y) {
    return uint32_t((x * 19 + 7) & 255) << 16 | uint32_t((y * 37 + 3) & 255) << 8 | uint32_t((x * y * 5) & 255);
}

uint8_t Scale(uint32_t v, uint32_t max) { return uint8_t((v * 255 + max / 2) / max); }

SampleBmp Indexed(const char* name, int bpp, uint32_t headerSize, bool topDown) {
    SampleBmp s;
    s.name = name;
    s.width = W;
    s.height = H;
    int colours = 1 << bpp;
    BmpSpec shape;
    shape.width = W;
    shape.height = topDown ? -H : H;
    shape.bpp = bpp;
    shape.headerSize = headerSize;
    shape.palette = Palette(colours);
    shape.pixels = PackRows(W, H, bpp, topDown, [&](int x, int y) { return uint32_t(IndexAt(x, y, colours)); });
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) s.expected.push_back(Opaque(shape.palette[IndexAt(x, y, colours)]));
    s.file = MakeBmp(shape);
    return s;
}

SampleBmp Deep(const char* name, int bpp, uint32_t compression, std::vector<uint32_t> masks,
               uint32_t headerSize, bool topDown) {
    SampleBmp s;
    s.name = name;
    s.width = W;
    s.height = H;
    BmpSpec shape;
    shape.width = W;
    shape.height = topDown ? -H : H;
    shape.bpp = bpp;
    shape.compression = compression;
    shape.headerSize = headerSize;
    shape.masks = masks;
    if (bpp == 24 || (bpp == 32 && masks.empty())) {
        // The fourth byte of 32-bit pixels holds junk that must be ignored.
        shape.pixels = PackRows(W, H, bpp, topDown, [](int x, int y) { return RgbAt(x, y) | 0x5A000000u; });
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) s.expected.push_back(Opaque(RgbAt(x, y)));
    } else {
        // Channel values chosen per pixel within each mask's range.
        shape.pixels = PackRows(W, H, bpp, topDown, [&](int x, int y) {
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c) {
                uint32_t m = masks[c], shift = 0;
                while (!((m >> shift) & 1)) ++shift;
                uint32_t max = m >> shift;
                v |= (uint32_t((x * 7 + y * 3 + c * 11) * 2654435761u >> 8) % (max + 1)) << shift;
            }
            return v;
        });
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                uint32_t v = 0, rgb = 0;
                for (int c = 0; c < 3; ++c) {
                    uint32_t m = masks[c], shift = 0;
                    while (!((m >> shift) & 1)) ++shift;
                    uint32_t max = m >> shift;
                    v = uint32_t((x * 7 + y * 3 + c * 11) * 2654435761u >> 8) % (max + 1);
                    rgb |= uint32_t(Scale(v, max)) << (16 - 8 * c);
                }
                s.expected.push_back(Opaque(rgb));
            }
        }
        s.gdiTolerance = 8;
        if (compression == 0) shape.masks.clear();
    }
    s.file = MakeBmp(shape);
    return s;
}

SampleBmp Rle(const char* name, bool four) {
    SampleBmp s;
    s.name = name;
    s.rle = true;
    s.width = W;
    s.height = H;
    int colours = four ? 16 : 256;
    std::vector<uint8_t> indices;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)  // long runs on some rows, noise on others
            indices.push_back(uint8_t(y % 3 == 0 ? (x < 6 ? 3 : 9) : IndexAt(x, y, colours)));
    BmpSpec shape;
    shape.width = W;
    shape.height = H;
    shape.bpp = four ? 4 : 8;
    shape.compression = four ? 2 : 1;
    shape.palette = Palette(colours);
    shape.pixels = EncodeRle(indices, W, H, four);
    for (uint8_t i : indices) s.expected.push_back(Opaque(shape.palette[i]));
    s.background = shape.palette[0];
    s.file = MakeBmp(shape);
    return s;
}

// 8 x 4 with a delta jump, an odd absolute run and skipped pixels.
SampleBmp RleWithDelta(bool four) {
    SampleBmp s;
    s.name = four ? "rle4-delta" : "rle8-delta";
    s.rle = true;
    s.width = 8;
    s.height = 4;
    BmpSpec shape;
    shape.width = 8;
    shape.height = 4;
    shape.bpp = four ? 4 : 8;
    shape.compression = four ? 2 : 1;
    shape.palette = Palette(four ? 16 : 256);
    std::vector<uint8_t> rows(32, 0);  // bottom-up here
    if (four) {
        shape.pixels = { 3, 0x12, 0, 2, 2, 1, 3, 0x33, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 8, 0x99, 0, 1 };
        rows[0] = 1; rows[1] = 2; rows[2] = 1;
        rows[13] = rows[14] = rows[15] = 3;
        for (int i = 0; i < 5; ++i) rows[16 + i] = uint8_t(3 + i);
        for (int i = 0; i < 8; ++i) rows[24 + i] = 9;
    } else {
        shape.pixels = { 3, 1, 0, 2, 2, 1, 3, 2, 0, 0, 0, 5, 3, 4, 5, 6, 7, 0, 0, 0, 8, 9, 0, 1 };
        rows[0] = rows[1] = rows[2] = 1;
        rows[13] = rows[14] = rows[15] = 2;
        for (int i = 0; i < 5; ++i) rows[16 + i] = uint8_t(3 + i);
        for (int i = 0; i < 8; ++i) rows[24 + i] = 9;
    }
    for (int y = 3; y >= 0; --y)
        for (int x = 0; x < 8; ++x) s.expected.push_back(Opaque(shape.palette[rows[y * 8 + x]]));
    s.background = shape.palette[0];
    s.file = MakeBmp(shape);
    return s;
}

}  // namespace

Bytes EncodeRle(const std::vector<uint8_t>& indices, int width, int height, bool four) {
    Bytes out;
    for (int row = 0; row < height; ++row) {
        const uint8_t* p = indices.data() + size_t(height - 1 - row) * width;  // bottom-up
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 255 && p[x + run] == p[x]) ++run;
            if (run >= 3 || width - x < 3) {
                out.push_back(uint8_t(run));
                out.push_back(four ? uint8_t(p[x] << 4 | p[x]) : p[x]);
                x += run;
                continue;
            }
            int literal = 0;
            while (x + literal < width && literal < 255 &&
                   !(x + literal + 2 < width && p[x + literal] == p[x + literal + 1] &&
                     p[x + literal] == p[x + literal + 2]))
                ++literal;
            if (literal < 3) literal = 3 <= width - x ? 3 : width - x;
            out.push_back(0);
            out.push_back(uint8_t(literal));
            size_t start = out.size();
            for (int k = 0; k < literal; ++k) {
                if (!four) out.push_back(p[x + k]);
                else if (k % 2 == 0) out.push_back(uint8_t(p[x + k] << 4));
                else out.back() |= p[x + k];
            }
            if ((out.size() - start) % 2) out.push_back(0);
            x += literal;
        }
        out.push_back(0);
        out.push_back(0);
    }
    out.back() = 1;  // the last end of line becomes the end of bitmap
    return out;
}

std::vector<SampleBmp> SampleBmps() {
    std::vector<SampleBmp> all;
    all.push_back(Indexed("1-bit", 1, 40, false));
    all.push_back(Indexed("4-bit", 4, 40, false));
    all.push_back(Indexed("8-bit", 8, 40, false));
    all.push_back(Indexed("8-bit top-down", 8, 40, true));
    all.push_back(Indexed("8-bit core header", 8, 12, false));
    all.push_back(Indexed("4-bit v5 header", 4, 124, false));
    all.push_back(Rle("rle8", false));
    all.push_back(Rle("rle4", true));
    all.push_back(RleWithDelta(false));
    all.push_back(RleWithDelta(true));
    all.push_back(Deep("16-bit 5-5-5", 16, 0, { 0x7C00, 0x03E0, 0x001F }, 40, false));
    all.push_back(Deep("16-bit 5-6-5 bitfields", 16, 3, { 0xF800, 0x07E0, 0x001F }, 40, false));
    all.push_back(Deep("16-bit 5-6-5 v5 header", 16, 3, { 0xF800, 0x07E0, 0x001F }, 124, true));
    all.push_back(Deep("24-bit", 24, 0, {}, 40, false));
    all.push_back(Deep("24-bit top-down", 24, 0, {}, 40, true));
    all.push_back(Deep("24-bit v4 header", 24, 0, {}, 108, false));
    all.push_back(Deep("32-bit", 32, 0, {}, 40, false));
    all.push_back(Deep("32-bit bitfields", 32, 3, { 0x00FF0000, 0x0000FF00, 0x000000FF }, 40, false));
    all.push_back(Deep("32-bit 10-10-10 bitfields", 32, 3, { 0x3FF00000, 0x000FFC00, 0x000003FF }, 40, false));
    return all;
}

}  // namespace imgtest
