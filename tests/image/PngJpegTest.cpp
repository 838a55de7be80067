#include <gtest/gtest.h>
#include <png.h>
#include <cstdlib>
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "tests/image/ImageTestSupport.h"

using namespace imgtest;

namespace {

bool DecodeBytes(CxImage& image, const Bytes& data, DWORD type) {
    CxMemFile file(const_cast<BYTE*>(data.data()), data.size());
    return image.Decode(&file, type);
}

// Rows of a PNG in libpng's packing: samples of depth bits, big-endian.
Bytes PackPng(int width, int height, int channels, int depth, uint32_t (*sample)(int x, int y, int c)) {
    size_t rowBytes = (size_t(width) * channels * depth + 7) / 8;
    Bytes rows(rowBytes * height, 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows.data() + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                uint32_t v = sample(x, y, c) & ((1u << depth) - 1);
                size_t bit = size_t(x * channels + c) * depth;
                if (depth == 16) {
                    row[bit / 8] = uint8_t(v >> 8);
                    row[bit / 8 + 1] = uint8_t(v);
                } else if (depth == 8) {
                    row[bit / 8] = uint8_t(v);
                } else {
                    row[bit / 8] |= uint8_t(v << (8 - depth - bit % 8));
                }
            }
        }
    }
    return rows;
}

uint32_t Pattern(int x, int y, int c) { return uint32_t((x * 97 + y * 61 + c * 1234) * 2654435761u >> 7); }

struct PngCase {
    const char* name;
    int colourType, depth, channels;
    bool interlace;
    int palette;        // entries, 0 for none
    bool trns;
    WORD bpp;           // expected depth of the decoded image
    bool alpha;         // expected alpha plane
};

std::vector<uint32_t> Gradient(int width, int height) {
    std::vector<uint32_t> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rgb.push_back(uint32_t(x * 255 / (width - 1)) << 16 | uint32_t(y * 255 / (height - 1)) << 8 |
                          uint32_t((x + y) * 255 / (width + height - 2)));
    return rgb;
}

void FillRgb(CxImage& image, const std::vector<uint32_t>& topDown) {
    DWORD w = image.GetWidth(), h = image.GetHeight();
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            uint32_t v = topDown[y * w + x];
            image.SetPixelColor(x, h - 1 - y, RGBQUAD{ BYTE(v), BYTE(v >> 8), BYTE(v >> 16), 0 });
        }
}

}  // namespace

TEST(PngDecode, EveryColourTypeAndDepth) {
    const PngCase cases[] = {
        { "grey 1", 0, 1, 1, false, 0, false, 8, false },
        { "grey 2", 0, 2, 1, false, 0, false, 8, false },
        { "grey 4", 0, 4, 1, false, 0, false, 8, false },
        { "grey 8", 0, 8, 1, false, 0, false, 8, false },
        { "grey 16", 0, 16, 1, false, 0, false, 8, false },
        { "grey 8 with tRNS", 0, 8, 1, false, 0, true, 24, true },
        { "grey alpha 8", 4, 8, 2, false, 0, false, 24, true },
        { "grey alpha 16", 4, 16, 2, false, 0, false, 24, true },
        { "palette 1", 3, 1, 1, false, 2, false, 1, false },
        { "palette 2", 3, 2, 1, false, 4, false, 4, false },
        { "palette 4", 3, 4, 1, false, 16, false, 4, false },
        { "palette 8", 3, 8, 1, false, 200, false, 8, false },
        { "palette 8 with tRNS", 3, 8, 1, false, 256, true, 24, true },
        { "rgb 8", 2, 8, 3, false, 0, false, 24, false },
        { "rgb 16", 2, 16, 3, false, 0, false, 24, false },
        { "rgb 8 interlaced", 2, 8, 3, true, 0, false, 24, false },
        { "rgba 8", 6, 8, 4, false, 0, false, 24, true },
        { "rgba 16 interlaced", 6, 16, 4, true, 0, false, 24, true },
    };
    for (const PngCase& c : cases) {
        SCOPED_TRACE(c.name);
        PngSpec shape;
        shape.width = 21;
        shape.height = 9;
        shape.colourType = c.colourType;
        shape.depth = c.depth;
        shape.interlace = c.interlace;
        shape.rows = PackPng(21, 9, c.channels, c.depth,
                            c.palette ? +[](int x, int y, int) { return uint32_t(x * 7 + y * 3); } : Pattern);
        if (c.palette && c.palette < (1 << c.depth)) {
            // Keep indices inside the palette.
            shape.rows = PackPng(21, 9, 1, c.depth, +[](int x, int y, int) { return uint32_t((x + y) % 2); });
        }
        for (int i = 0; i < c.palette; ++i) shape.palette.push_back(uint32_t(i * 0x010203 + 0x402000) & 0xFFFFFF);
        if (c.trns && c.palette) for (int i = 0; i < c.palette; ++i) shape.trns.push_back(uint8_t(255 - i));
        if (c.trns && !c.palette) shape.trnsGrey = int(Pattern(3, 4, 0) & 0xFF);
        Bytes file = MakePng(shape);
        ASSERT_FALSE(file.empty());
        PngFacts reference = ReadPng(file);
        ASSERT_TRUE(reference.ok);

        CxImage image;
        ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_PNG)) << image.GetLastError();
        EXPECT_EQ(21u, image.GetWidth());
        EXPECT_EQ(9u, image.GetHeight());
        EXPECT_EQ(c.bpp, image.GetBpp());
        EXPECT_EQ(c.alpha, image.AlphaIsValid());
        EXPECT_EQ(reference.argb, PixelsTopDown(image));
        if (c.colourType == 0 && !c.trns) {
            EXPECT_TRUE(image.IsGrayScale());
        }
    }
}

TEST(PngDecode, RefusesDamageWithATextAndKeepsNothing) {
    PngSpec shape;
    shape.width = 30;
    shape.height = 30;
    shape.colourType = 2;
    shape.rows = PackPng(30, 30, 3, 8, Pattern);
    Bytes file = MakePng(shape);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_PNG));

    Bytes cut(file.begin(), file.begin() + file.size() / 2);
    EXPECT_FALSE(DecodeBytes(image, cut, IMAGE_TYPE_PNG));
    EXPECT_STREQ("Read Error", image.GetLastError());
    EXPECT_FALSE(image.IsValid());

    Bytes crc = file;
    crc[30] ^= 0x10;  // inside IHDR: its checksum no longer matches
    EXPECT_FALSE(DecodeBytes(image, crc, IMAGE_TYPE_PNG));
    EXPECT_NE('\0', image.GetLastError()[0]);

    Bytes noSignature = file;
    noSignature[1] = 'Q';
    EXPECT_FALSE(DecodeBytes(image, noSignature, IMAGE_TYPE_PNG));
    EXPECT_STREQ("Not a PNG file", image.GetLastError());

    // Only the end chunk missing: the picture is complete and accepted.
    Bytes noEnd(file.begin(), file.end() - 12);
    EXPECT_TRUE(DecodeBytes(image, noEnd, IMAGE_TYPE_PNG)) << image.GetLastError();
}

TEST(PngEncode, PaletteRgbAndRgbaFilesReadBackByLibpng) {
    CTempFolder dir(L"mx-image");
    std::wstring path = dir.File(L"out.png");
    for (DWORD bpp : { 1u, 4u, 8u }) {
        SCOPED_TRACE(bpp);
        CxImage image;
        ASSERT_NE(nullptr, image.Create(13, 5, bpp));
        for (DWORD i = 0; i < image.GetNumColors(); ++i) image.SetPaletteColor(i, BYTE(i * 40), BYTE(i), 200);
        for (DWORD y = 0; y < 5; ++y)
            for (DWORD x = 0; x < 13; ++x) image.SetPixelIndex(x, y, BYTE((x + 2 * y) % image.GetNumColors()));
        image.SetTransIndex(1);
        ASSERT_TRUE(image.Save(path.c_str(), IMAGE_TYPE_PNG)) << image.GetLastError();
        PngFacts facts = ReadPng(ReadFileBytes(path));
        ASSERT_TRUE(facts.ok);
        EXPECT_EQ(PNG_COLOR_TYPE_PALETTE, facts.colourType);
        EXPECT_EQ(int(bpp), facts.depth);
        EXPECT_TRUE(facts.hasTrns);
        std::vector<uint32_t> expected = PixelsTopDown(image);
        for (size_t i = 0; i < expected.size(); ++i) {
            int x = int(i % 13), yTop = int(i / 13);
            if (image.GetPixelIndex(x, 4 - yTop) == 1) expected[i] &= 0x00FFFFFF;
        }
        EXPECT_EQ(expected, facts.argb);
    }

    CxImage rgb;
    ASSERT_NE(nullptr, rgb.Create(17, 11, 24));
    FillRgb(rgb, Gradient(17, 11));
    ASSERT_TRUE(rgb.Save(path.c_str(), IMAGE_TYPE_PNG));
    PngFacts facts = ReadPng(ReadFileBytes(path));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(PNG_COLOR_TYPE_RGB, facts.colourType);
    EXPECT_EQ(8, facts.depth);
    EXPECT_EQ(PixelsTopDown(rgb), facts.argb);
    EXPECT_TRUE(facts.hasPhys);
    EXPECT_EQ(PNG_RESOLUTION_METER, facts.unit);
    EXPECT_EQ(3780u, facts.xppm) << "96 dpi";
    EXPECT_EQ(3780u, facts.yppm);

    ASSERT_TRUE(rgb.AlphaCreate());
    for (DWORD y = 0; y < 11; ++y)
        for (DWORD x = 0; x < 17; ++x) rgb.AlphaSet(x, y, BYTE(x * 15 + y));
    rgb.SetXDPI(300);
    ASSERT_TRUE(rgb.Save(path.c_str(), IMAGE_TYPE_PNG));
    facts = ReadPng(ReadFileBytes(path));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(PNG_COLOR_TYPE_RGB_ALPHA, facts.colourType);
    EXPECT_EQ(PixelsTopDown(rgb), facts.argb);
    EXPECT_EQ(11811u, facts.xppm);

    CxImage back;
    ASSERT_TRUE(back.Load(path.c_str(), IMAGE_TYPE_PNG));
    EXPECT_TRUE(back.AlphaIsValid());
    EXPECT_EQ(PixelsTopDown(rgb), PixelsTopDown(back));
    EXPECT_EQ(300, back.GetXDPI());
    EXPECT_EQ(96, back.GetYDPI());
}

TEST(JpegEncode, ColourAndGreyFilesReadBackByLibjpeg) {
    CTempFolder dir(L"mx-image");
    std::wstring path = dir.File(L"out.jpg"), small = dir.File(L"small.jpg");
    const int w = 64, h = 48;
    std::vector<uint32_t> source = Gradient(w, h);
    CxImage image;
    ASSERT_NE(nullptr, image.Create(w, h, 24));
    FillRgb(image, source);
    ASSERT_TRUE(image.Save(path.c_str(), IMAGE_TYPE_JPG)) << image.GetLastError();
    JpegFacts facts = ReadJpeg(ReadFileBytes(path));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(w, facts.width);
    EXPECT_EQ(h, facts.height);
    EXPECT_EQ(3, facts.components);
    EXPECT_EQ(1, facts.densityUnit) << "dots per inch";
    EXPECT_EQ(96, facts.xDensity);
    EXPECT_EQ(96, facts.yDensity);
    long totalError = 0;
    int worst = 0;
    for (int i = 0; i < w * h; ++i) {
        for (int c = 0; c < 3; ++c) {
            int want = int(source[i] >> (16 - 8 * c)) & 0xFF;
            int got = facts.samples[size_t(i) * 3 + c];
            totalError += std::abs(want - got);
            worst = std::max(worst, std::abs(want - got));
        }
    }
    EXPECT_LT(totalError / (w * h * 3), 3) << "mean error";
    EXPECT_LT(worst, 16);

    CxImage decoded;
    ASSERT_TRUE(decoded.Load(path.c_str(), IMAGE_TYPE_JPG)) << decoded.GetLastError();
    EXPECT_EQ(24, decoded.GetBpp());
    std::vector<uint32_t> ours = PixelsTopDown(decoded);
    for (int i = 0; i < w * h; ++i) {
        uint32_t theirs = 0xFF000000u | uint32_t(facts.samples[i * 3]) << 16 |
                          uint32_t(facts.samples[i * 3 + 1]) << 8 | facts.samples[i * 3 + 2];
        ASSERT_EQ(theirs, ours[i]) << i;
    }

    // Detail shows the quality: 90 by default, 10 when set.
    CxImage noisy;
    ASSERT_NE(nullptr, noisy.Create(w, h, 24));
    for (DWORD y = 0; y < DWORD(h); ++y)
        for (DWORD x = 0; x < DWORD(w); ++x)
            noisy.SetPixelColor(x, y, RGBQUAD{ BYTE(Pattern(x, y, 0)), BYTE(Pattern(x, y, 1)), BYTE(Pattern(x, y, 2)), 0 });
    ASSERT_TRUE(noisy.Save(path.c_str(), IMAGE_TYPE_JPG));
    noisy.SetJpegQuality(10);
    ASSERT_TRUE(noisy.Save(small.c_str(), IMAGE_TYPE_JPG));
    EXPECT_LT(FileSizeOf(small) * 2, FileSizeOf(path));

    CxImage grey;
    ASSERT_NE(nullptr, grey.Create(20, 10, 4));
    for (DWORD i = 0; i < 16; ++i) grey.SetPaletteColor(i, BYTE(i * 10 + 5), BYTE(i * 10 + 5), BYTE(i * 10 + 5));
    for (DWORD y = 0; y < 10; ++y)
        for (DWORD x = 0; x < 20; ++x) grey.SetPixelIndex(x, y, BYTE(x < 10 ? 3 : 12));
    grey.SetXDPI(200);
    ASSERT_TRUE(grey.Save(path.c_str(), IMAGE_TYPE_JPG)) << grey.GetLastError();
    facts = ReadJpeg(ReadFileBytes(path));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(1, facts.components);
    EXPECT_EQ(200, facts.xDensity);
    EXPECT_NEAR(35, facts.samples[2], 3);
    EXPECT_NEAR(125, facts.samples[17], 3);
    ASSERT_TRUE(decoded.Load(path.c_str(), IMAGE_TYPE_AUTO));
    EXPECT_EQ(DWORD(IMAGE_TYPE_JPG), decoded.GetType());
    EXPECT_EQ(8, decoded.GetBpp());
    EXPECT_TRUE(decoded.IsGrayScale());
    EXPECT_EQ(200, decoded.GetXDPI());

    CxImage colourPalette;
    ASSERT_NE(nullptr, colourPalette.Create(4, 4, 8));
    colourPalette.SetPaletteColor(7, 255, 0, 0);
    std::wstring refused = dir.File(L"refused.jpg");
    EXPECT_FALSE(colourPalette.Save(refused.c_str(), IMAGE_TYPE_JPG));
    EXPECT_STREQ("JPEG can save only RGB or GreyScale images", colourPalette.GetLastError());
    EXPECT_EQ(0, FileSizeOf(refused));
}

TEST(JpegDecode, ForeignFilesAndDamage) {
    Bytes samples;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 56; ++x) samples.insert(samples.end(), { uint8_t(x * 4), uint8_t(y * 6), 90 });
    Bytes file = MakeJpeg(56, 40, 3, samples, 85);
    JpegFacts reference = ReadJpeg(file);
    ASSERT_TRUE(reference.ok);
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_AUTO)) << image.GetLastError();
    EXPECT_EQ(DWORD(IMAGE_TYPE_JPG), image.GetType());
    EXPECT_EQ(96, image.GetXDPI()) << "no density in the file";
    std::vector<uint32_t> ours = PixelsTopDown(image);
    ASSERT_EQ(size_t(56 * 40), ours.size());
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_EQ(0xFF000000u | uint32_t(reference.samples[i * 3]) << 16 | uint32_t(reference.samples[i * 3 + 1]) << 8 |
                      reference.samples[i * 3 + 2], ours[i]) << i;

    Bytes cut(file.begin(), file.begin() + file.size() * 2 / 3);
    EXPECT_FALSE(DecodeBytes(image, cut, IMAGE_TYPE_JPG));
    EXPECT_STREQ("Premature end of JPEG file", image.GetLastError());
    EXPECT_FALSE(image.IsValid());

    Bytes noEnd(file.begin(), file.end() - 2);  // only the end marker missing
    EXPECT_TRUE(DecodeBytes(image, noEnd, IMAGE_TYPE_JPG)) << image.GetLastError();
    EXPECT_EQ(ours, PixelsTopDown(image));

    EXPECT_FALSE(DecodeBytes(image, Bytes{ 'B', 'M', 1, 2, 3 }, IMAGE_TYPE_JPG));
    EXPECT_NE('\0', image.GetLastError()[0]);
    EXPECT_FALSE(DecodeBytes(image, Bytes{}, IMAGE_TYPE_JPG));
    EXPECT_NE('\0', image.GetLastError()[0]);
}
