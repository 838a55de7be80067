// Pictures that claim far more pixels than their files hold must be refused
// before the decoder allocates for them; damaged PNG and JPEG files must be
// refused cleanly or decode to exactly what the intact file holds.
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <new>
#include <png.h>
#include <zlib.h>
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "tests/image/ImageTestSupport.h"

using namespace imgtest;

namespace {

std::atomic<bool> g_tracking(false);
std::atomic<size_t> g_largest(0);

void Track(size_t size) {
    if (!g_tracking) return;
    size_t seen = g_largest;
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {}
}

}  // namespace

// The codecs allocate with new (std::nothrow); this program's versions record
// the largest request while tracking is on.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    Track(size);
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    Track(size);
    return std::malloc(size ? size : 1);
}

namespace {

struct Outcome {
    bool ok;
    size_t largest;
    std::string error;
};

Outcome DecodeTracked(const Bytes& data, DWORD type) {
    CxMemFile file(const_cast<BYTE*>(data.data()), data.size());
    CxImage image;
    g_largest = 0;
    g_tracking = true;
    bool ok = image.Decode(&file, type);
    g_tracking = false;
    return { ok, g_largest, image.GetLastError() };
}

void SetBe32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + i) = uint8_t(v >> (24 - 8 * i));
}

// A PNG whose header claims another size; its checksum is made right again.
Bytes PngClaiming(uint32_t width, uint32_t height) {
    PngSpec shape;
    shape.width = 2;
    shape.height = 2;
    shape.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    shape.rows.assign(16, 0x77);
    Bytes file = MakePng(shape);
    SetBe32(file, 16, width);
    SetBe32(file, 20, height);
    SetBe32(file, 29, uint32_t(crc32(0, file.data() + 12, 17)));
    return file;
}

Bytes JpegClaiming(uint16_t width, uint16_t height) {
    Bytes samples(16 * 16 * 3, 0x80);
    Bytes file = MakeJpeg(16, 16, 3, samples, 75);
    for (size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = uint8_t(height >> 8);
            file[i + 6] = uint8_t(height);
            file[i + 7] = uint8_t(width >> 8);
            file[i + 8] = uint8_t(width);
            break;
        }
    }
    return file;
}

uint32_t Next(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

std::vector<uint32_t> Decoded(const Bytes& data, DWORD type, bool& ok, CxImage& image) {
    CxMemFile file(const_cast<BYTE*>(data.data()), data.size());
    ok = image.Decode(&file, type);
    return ok ? PixelsTopDown(image) : std::vector<uint32_t>();
}

// Truncations and random damage of one file: a cut file fails with a text or
// decodes exactly as the intact one (only its end was lost); a damaged one
// fails or decodes to a size the file can describe.
void Damage(const Bytes& good, DWORD type, const char* name, bool sameSizeOnSuccess, size_t& decoded,
            size_t& refused) {
    bool ok = false;
    CxImage image;
    std::vector<uint32_t> original = Decoded(good, type, ok, image);
    ASSERT_TRUE(ok) << name;
    DWORD width = image.GetWidth(), height = image.GetHeight();
    uint32_t seed = uint32_t(good.size());
    for (size_t round = 0; round < good.size() + 800; ++round) {
        Bytes bad = good;
        bool cut = round < good.size();
        if (cut) {
            bad.resize(round);
        } else {
            int flips = 1 + Next(seed) % 4;
            for (int i = 0; i < flips; ++i) bad[Next(seed) % bad.size()] ^= uint8_t(1 + Next(seed) % 255);
        }
        DWORD decodeType = round % 9 == 0 ? IMAGE_TYPE_AUTO : type;
        std::vector<uint32_t> pixels = Decoded(bad, decodeType, ok, image);
        if (!ok) {
            ++refused;
            if (image.IsValid() || !image.GetLastError()[0]) ADD_FAILURE() << name << " " << round;
            continue;
        }
        ++decoded;
        if (cut) {
            if (pixels != original) ADD_FAILURE() << name << " round " << round << " decoded other pixels";
        } else if (sameSizeOnSuccess) {
            // The header is checksummed; damage elsewhere may only drop an
            // ancillary chunk (the transparency, say).
            if (image.GetWidth() != width || image.GetHeight() != height)
                ADD_FAILURE() << name << " round " << round << ": " << image.GetWidth() << " x " << image.GetHeight();
        } else if (image.GetWidth() > CxImage::kMaxDecodeDimension ||
                   image.GetHeight() > CxImage::kMaxDecodeDimension ||
                   uint64_t(image.GetWidth()) * image.GetHeight() > uint64_t(width) * height * 64 + (1u << 20)) {
            ADD_FAILURE() << name << " round " << round << ": " << image.GetWidth() << " x " << image.GetHeight();
        }
    }
}

}  // namespace

TEST(HostileInput, ImpossibleSizesAreRefusedBeforeAllocating) {
    const size_t kSmall = 1 << 20;

    BmpSpec bmp;
    bmp.width = 12000;
    bmp.height = 12000;
    bmp.bpp = 24;
    bmp.pixels.assign(100, 0);
    Outcome o = DecodeTracked(MakeBmp(bmp), IMAGE_TYPE_BMP);
    EXPECT_FALSE(o.ok);
    EXPECT_LT(o.largest, kSmall);

    BmpSpec rle;
    rle.width = 16000;
    rle.height = 16000;
    rle.bpp = 8;
    rle.compression = 1;
    rle.clrUsed = 2;
    rle.palette = { 0, 0xFFFFFF };
    rle.pixels = { 0, 1 };
    o = DecodeTracked(MakeBmp(rle), IMAGE_TYPE_BMP);
    EXPECT_FALSE(o.ok);
    EXPECT_LT(o.largest, kSmall);

    o = DecodeTracked(PngClaiming(12000, 12000), IMAGE_TYPE_PNG);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ("PNG data too short for the picture's size", o.error);
    EXPECT_LT(o.largest, kSmall);
    o = DecodeTracked(PngClaiming(70000, 10), IMAGE_TYPE_PNG);
    EXPECT_FALSE(o.ok);
    EXPECT_LT(o.largest, kSmall);

    o = DecodeTracked(JpegClaiming(12000, 12000), IMAGE_TYPE_JPG);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ("JPEG data too short for the picture's size", o.error);
    EXPECT_LT(o.largest, kSmall);

    // The same files through detection.
    EXPECT_FALSE(DecodeTracked(PngClaiming(12000, 12000), IMAGE_TYPE_AUTO).ok);
    EXPECT_LT(g_largest.load(), kSmall);

    // A real picture of that order is allocated: the tracking sees it.
    BmpSpec big;
    big.width = 2000;
    big.height = 1500;
    big.bpp = 24;
    big.pixels.assign(size_t(6000) * 1500, 0x42);
    o = DecodeTracked(MakeBmp(big), IMAGE_TYPE_BMP);
    EXPECT_TRUE(o.ok) << o.error;
    EXPECT_GE(o.largest, size_t(6000) * 1500);
}

TEST(HostileInput, DamagedPngAndJpegFiles) {
    size_t decoded = 0, refused = 0;
    PngSpec palette;
    palette.width = 20;
    palette.height = 10;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    for (int i = 0; i < 200; ++i) palette.rows.push_back(uint8_t(i % 7));
    for (int i = 0; i < 7; ++i) palette.palette.push_back(uint32_t(i) * 0x252525);
    palette.trns = { 0, 128 };
    Damage(MakePng(palette), IMAGE_TYPE_PNG, "palette png", true, decoded, refused);

    PngSpec deep;
    deep.width = 15;
    deep.height = 9;
    deep.colourType = PNG_COLOR_TYPE_RGB;
    deep.depth = 16;
    deep.interlace = true;
    for (int i = 0; i < 15 * 9 * 6; ++i) deep.rows.push_back(uint8_t(i * 13));
    Damage(MakePng(deep), IMAGE_TYPE_PNG, "interlaced 16-bit png", true, decoded, refused);

    Bytes samples;
    for (int i = 0; i < 24 * 17; ++i) samples.insert(samples.end(), { uint8_t(i), uint8_t(i * 3), uint8_t(i * 7) });
    Damage(MakeJpeg(24, 17, 3, samples, 90), IMAGE_TYPE_JPG, "colour jpeg", false, decoded, refused);
    Bytes grey;
    for (int i = 0; i < 33 * 9; ++i) grey.push_back(uint8_t(i * 5));
    Damage(MakeJpeg(33, 9, 1, grey, 60), IMAGE_TYPE_JPG, "grey jpeg", false, decoded, refused);

    EXPECT_GT(decoded, 100u);
    EXPECT_GT(refused, 2000u);
    std::printf("damaged PNG and JPEG files: %zu decoded, %zu refused\n", decoded, refused);
}
