#include <gtest/gtest.h>
#include <png.h>
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/SampleBmps.h"

using namespace imgtest;

namespace {

bool DecodeBytes(CxImage& image, const Bytes& data, DWORD type = IMAGE_TYPE_BMP) {
    CxMemFile file(const_cast<BYTE*>(data.data()), data.size());
    return image.Decode(&file, type);
}

size_t CountMismatches(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance,
                       bool withAlpha) {
    if (a.size() != b.size()) return a.size() + b.size();
    size_t bad = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (!Near(a[i], b[i], tolerance, withAlpha)) ++bad;
    return bad;
}

}  // namespace

TEST(BmpDecode, EveryLayoutMatchesItsPixelsAndThePlatform) {
    CTempFolder dir(L"mx-image");
    for (const SampleBmp& sample : SampleBmps()) {
        SCOPED_TRACE(sample.name);
        std::wstring path = dir.File(L"sample.bmp");
        ASSERT_TRUE(WriteFileBytes(path, sample.file));
        CxImage image;
        ASSERT_TRUE(image.Load(path.c_str(), IMAGE_TYPE_BMP)) << image.GetLastError();
        EXPECT_EQ(DWORD(sample.width), image.GetWidth());
        EXPECT_EQ(DWORD(sample.height), image.GetHeight());
        EXPECT_FALSE(image.AlphaIsValid());
        std::vector<uint32_t> decoded = PixelsTopDown(image);
        EXPECT_EQ(0u, CountMismatches(sample.expected, decoded, 0, true));
        // The platform's own reading of the same file agrees.
        std::vector<uint32_t> gdi = RenderWithGdi(sample.file, sample.background);
        EXPECT_EQ(0u, CountMismatches(sample.expected, gdi, sample.gdiTolerance, false));
    }
}

TEST(BmpDecode, DepthOfTheDecodedImage) {
    for (const SampleBmp& sample : SampleBmps()) {
        CxImage image;
        ASSERT_TRUE(DecodeBytes(image, sample.file)) << sample.name;
        // biBitCount, read byte by byte: the header is not aligned in the file.
        WORD bpp = static_cast<WORD>(sample.file[28] | sample.file[29] << 8);
        if (sample.file[14] == 12) bpp = sample.file[24];
        EXPECT_EQ(bpp <= 8 ? bpp : 24, image.GetBpp()) << sample.name;
    }
}

TEST(BmpDecode, PixelOffsetPastThePaletteIsHonoured) {
    BmpSpec shape;
    shape.width = 5;
    shape.height = 3;
    shape.bpp = 8;
    shape.palette = { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF };
    shape.clrUsed = 4;
    shape.gap = 37;
    shape.pixels = PackRows(5, 3, 8, false, [](int x, int y) { return uint32_t((x + y) % 4); });
    Bytes file = MakeBmp(shape);
    ASSERT_EQ(14u + 40 + 4 * 4 + 37, Get32(file, 10));

    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file)) << image.GetLastError();
    EXPECT_EQ(8, image.GetBpp());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ((x + y) % 4, image.GetPixelIndex(x, 2 - y)) << x << "," << y;

    // Without the offset the rows would start right after the palette.
    Set32(file, 10, 0);
    ASSERT_TRUE(DecodeBytes(image, file));
    EXPECT_NE(0, image.GetPixelIndex(0, 0)) << "junk of the gap read as pixels";
}

TEST(BmpDecode, BareDibWithoutFileHeader) {
    BmpSpec shape;
    shape.width = 3;
    shape.height = 2;
    shape.bpp = 24;
    shape.fileHeader = false;
    shape.pixels = PackRows(3, 2, 24, false, [](int x, int y) { return uint32_t(0x102030 * (x + 1) + y); });
    Bytes dib = MakeBmp(shape);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, dib)) << image.GetLastError();
    EXPECT_EQ(3u, image.GetWidth());
    EXPECT_EQ(0x30u, image.GetPixelColor(2, 1).rgbRed);
    EXPECT_EQ(0x90u, image.GetPixelColor(2, 1).rgbBlue) << "row 1 is the top row";
    EXPECT_EQ(0x91u, image.GetPixelColor(2, 0).rgbBlue);
    EXPECT_TRUE(DecodeBytes(image, dib, IMAGE_TYPE_AUTO));
    EXPECT_EQ(DWORD(IMAGE_TYPE_BMP), image.GetType());

    // A DIB embedded after other data is read from the stream's position.
    Bytes prefixed(100 + dib.size(), 0xEE);
    std::copy(dib.begin(), dib.end(), prefixed.begin() + 100);
    CxMemFile file(prefixed.data(), prefixed.size());
    file.Seek(100, SEEK_SET);
    ASSERT_TRUE(image.Decode(&file, IMAGE_TYPE_AUTO)) << image.GetLastError();
    EXPECT_EQ(0x30u, image.GetPixelColor(2, 1).rgbRed);
}

TEST(BmpDecode, ThirtyTwoBitsLoseTheirFourthByteSoSavedPngHasNoAlpha) {
    CTempFolder dir(L"mx-image");
    BmpSpec shape;
    shape.width = 4;
    shape.height = 4;
    shape.bpp = 32;
    shape.pixels = PackRows(4, 4, 32, false, [](int x, int y) { return uint32_t(x * 0x40) << 24 | 0x00336699u; });
    std::wstring bmp = dir.File(L"deep.bmp"), png = dir.File(L"deep.png");
    ASSERT_TRUE(WriteFileBytes(bmp, MakeBmp(shape)));
    CxImage image;
    ASSERT_TRUE(image.Load(bmp.c_str(), IMAGE_TYPE_BMP));
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_FALSE(image.AlphaIsValid());
    ASSERT_TRUE(image.Save(png.c_str(), IMAGE_TYPE_PNG)) << image.GetLastError();
    PngFacts facts = ReadPng(ReadFileBytes(png));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(PNG_COLOR_TYPE_RGB, facts.colourType);
    EXPECT_FALSE(facts.hasTrns);
    for (uint32_t p : facts.argb) EXPECT_EQ(0xFF336699u, p);
}

TEST(BmpDecode, RefusalsCarryTheirTexts) {
    BmpSpec shape;
    shape.width = 4;
    shape.height = 4;
    shape.bpp = 24;
    shape.pixels = PackRows(4, 4, 24, false, [](int, int) { return 0u; });
    const Bytes good = MakeBmp(shape);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, good));

    struct Case { const char* what; size_t at; uint32_t value; const char* error; };
    const Case cases[] = {
        { "jpeg inside", 30, 4, "unknown compression" },
        { "png inside", 30, 5, "unknown compression" },
        { "rle8 on 24 bits", 30, 1, "unknown compression" },
        { "bad compression", 30, 77, "unknown compression" },
        { "zero width", 18, 0, "Not a BMP" },
        { "negative width", 18, 0xFFFFFFFC, "Not a BMP" },
        { "zero height", 22, 0, "Not a BMP" },
        { "header size", 14, 41, "Not a BMP" },
        { "huge header", 14, 0xFFFFFFFF, "Not a BMP" },
        { "bit count 2", 28, 0x00010002, "Not a BMP" },
        { "bit count 0", 28, 0x00010000, "Not a BMP" },
        { "too wide", 18, 70000, "BMP image too large" },
        { "taller than the file", 22, 5, "Error reading BMP data" },
        { "most negative height", 22, 0x80000000, "BMP image too large" },
        { "offset beyond the end", 10, 1000, "Error reading BMP info" },
        { "palette beyond the end", 46, 0x10000000, "Error reading BMP info" },
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        Set32(bad, c.at, c.value);
        EXPECT_FALSE(DecodeBytes(image, bad)) << c.what;
        EXPECT_STREQ(c.error, image.GetLastError()) << c.what;
        EXPECT_FALSE(image.IsValid()) << c.what;
    }
    Bytes truncated(good.begin(), good.end() - 1);
    EXPECT_FALSE(DecodeBytes(image, truncated));
    EXPECT_STREQ("Error reading BMP data", image.GetLastError());
    Bytes headerOnly(good.begin(), good.begin() + 30);
    EXPECT_FALSE(DecodeBytes(image, headerOnly));
    EXPECT_STREQ("Error reading BMP info", image.GetLastError());
    EXPECT_FALSE(DecodeBytes(image, Bytes{ 'B', 'M', 0 }));
    EXPECT_STREQ("Error reading BMP info", image.GetLastError());
}

TEST(BmpDecode, MalformedRunLengthDataIsRefused) {
    BmpSpec shape;
    shape.width = 4;
    shape.height = 2;
    shape.bpp = 8;
    shape.compression = 1;
    shape.palette = { 0, 0xFFFFFF };
    shape.clrUsed = 2;
    const struct { const char* what; Bytes data; bool ok; } cases[] = {
        { "exact", { 4, 1, 0, 0, 4, 1, 0, 1 }, true },
        { "no end of bitmap after the last row", { 4, 1, 0, 0, 4, 1, 0, 0 }, true },
        { "run past the row", { 5, 1, 0, 1 }, false },
        { "absolute run past the row", { 0, 5, 1, 1, 1, 1, 1, 0, 0, 1 }, false },
        { "delta past the picture", { 0, 2, 1, 5, 0, 1 }, false },
        { "delta then a run", { 0, 2, 3, 1, 1, 1, 0, 1 }, true },
        { "rows beyond the height", { 0, 0, 0, 0, 1, 1, 0, 1 }, false },
        { "cut inside an absolute run", { 0, 4, 1, 1 }, false },
        { "cut before all rows", { 4, 1, 0, 0 }, false },
        { "cut inside a delta", { 0, 2, 1 }, false },
        { "nothing", {}, false },
    };
    for (const auto& c : cases) {
        shape.pixels = c.data;
        CxImage image;
        EXPECT_EQ(c.ok, DecodeBytes(image, MakeBmp(shape))) << c.what << ": " << image.GetLastError();
        if (!c.ok) {
            EXPECT_STREQ("Error reading BMP data", image.GetLastError()) << c.what;
        }
    }
}

TEST(BmpEncode, RoundTripsThroughTheDecoderAndThePlatform) {
    CTempFolder dir(L"mx-image");
    for (DWORD bpp : { 1u, 4u, 8u, 24u }) {
        SCOPED_TRACE(bpp);
        CxImage image;
        ASSERT_NE(nullptr, image.Create(11, 6, bpp));
        for (DWORD i = 0; i < image.GetNumColors(); ++i)
            image.SetPaletteColor(i, BYTE(i * 17), BYTE(255 - i), BYTE(i * 3));
        for (DWORD y = 0; y < 6; ++y) {
            for (DWORD x = 0; x < 11; ++x) {
                if (bpp <= 8) image.SetPixelIndex(x, y, BYTE((x * 5 + y) % image.GetNumColors()));
                else image.SetPixelColor(x, y, RGBQUAD{ BYTE(x * 20), BYTE(y * 40), BYTE(x * y), 0 });
            }
        }
        image.SetXDPI(300);
        std::wstring path = dir.File(L"written.bmp");
        ASSERT_TRUE(image.Save(path.c_str(), IMAGE_TYPE_BMP)) << image.GetLastError();
        Bytes file = ReadFileBytes(path);
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(file.size(), Get32(file, 2));
        EXPECT_EQ(54u + 4 * image.GetNumColors(), Get32(file, 10));
        EXPECT_EQ(11811u, Get32(file, 38)) << "300 dpi in pixels per metre";

        CxImage back;
        ASSERT_TRUE(back.Load(path.c_str(), IMAGE_TYPE_BMP));
        EXPECT_EQ(bpp, back.GetBpp());
        EXPECT_EQ(300, back.GetXDPI());
        EXPECT_EQ(PixelsTopDown(image), PixelsTopDown(back));

        HBITMAP loaded = static_cast<HBITMAP>(
            LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(nullptr, loaded);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 11;
        info.bmiHeader.biHeight = -6;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        std::vector<uint32_t> platform(66);
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(6, GetDIBits(screen, loaded, 0, 6, platform.data(), &info, DIB_RGB_COLORS));
        ReleaseDC(nullptr, screen);
        DeleteObject(loaded);
        EXPECT_EQ(0u, CountMismatches(PixelsTopDown(image), platform, 0, false));
    }
}
