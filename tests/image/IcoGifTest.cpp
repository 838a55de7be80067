#include <gtest/gtest.h>
#include <png.h>
#include "image/CxImage.h"
#include "image/CxMemFile.h"
#include "tests/image/ImageTestSupport.h"

using namespace imgtest;

namespace {

struct IcoEntry {
    int width, height, bpp;
    Bytes data;  // a DIB with its mask, or a PNG file
};

Bytes MakeIco(const std::vector<IcoEntry>& entries) {
    Bytes out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(entries.size()));
    uint32_t offset = uint32_t(6 + 16 * entries.size());
    for (const IcoEntry& e : entries) {
        out.push_back(uint8_t(e.width >= 256 ? 0 : e.width));
        out.push_back(uint8_t(e.height >= 256 ? 0 : e.height));
        out.push_back(uint8_t(e.bpp < 8 ? 1 << e.bpp : 0));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, e.bpp);
        Put32(out, uint32_t(e.data.size()));
        Put32(out, offset);
        offset += uint32_t(e.data.size());
    }
    for (const IcoEntry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

template <typename Colour, typename Mask>
Bytes IconDib(int w, int h, int bpp, const std::vector<uint32_t>& palette, Colour colour, Mask mask) {
    BmpSpec shape;
    shape.width = w;
    shape.height = 2 * h;
    shape.bpp = bpp;
    shape.palette = palette;
    shape.fileHeader = false;
    shape.pixels = PackRows(w, h, bpp, false, colour);
    Bytes andMask = PackRows(w, h, 1, false, mask);
    shape.pixels.insert(shape.pixels.end(), andMask.begin(), andMask.end());
    return MakeBmp(shape);
}

std::vector<uint32_t> Greys16() {
    std::vector<uint32_t> p;
    for (int i = 0; i < 16; ++i) p.push_back(uint32_t(i * 17) * 0x010101u);
    return p;
}

Bytes AlphaIcon32() {
    return IconDib(32, 32, 32, {}, [](int x, int y) { return uint32_t(x * 8) << 24 | uint32_t(y * 8) << 8 | 0x40; },
                   [](int, int) { return 0u; });
}

Bytes MaskedIcon4() {
    // Masked pixels hold black, as icons do, so the platform draws them clear.
    return IconDib(16, 16, 4, Greys16(), [](int x, int y) { return x < 4 ? 0u : uint32_t(1 + (x + y) % 15); },
                   [](int x, int) { return x < 4 ? 1u : 0u; });
}

bool DecodeBytes(CxImage& image, const Bytes& data, DWORD type) {
    CxMemFile file(const_cast<BYTE*>(data.data()), data.size());
    return image.Decode(&file, type);
}

// Our drawing and the platform's drawing of the same icon file on white.
void CompareWithPlatform(const std::wstring& path, int size, int tolerance) {
    CxImage image;
    ASSERT_TRUE(image.Load(path.c_str(), IMAGE_TYPE_ICO)) << image.GetLastError();
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    ASSERT_NE(nullptr, icon) << "the platform reads the file as an icon";
    CDibCanvas ours(size, size, 0xFFFFFFFF), theirs(size, size, 0xFFFFFFFF);
    EXPECT_EQ(1, image.Draw(ours.dc(), 0, 0));
    EXPECT_TRUE(DrawIconEx(theirs.dc(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
    DestroyIcon(icon);
    int bad = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (!Near(ours.At(x, y), theirs.At(x, y), tolerance, false)) ++bad;
    EXPECT_EQ(0, bad);
}

}  // namespace

TEST(IcoDecode, PicksTheLargestEntryAndKeepsItsAlpha) {
    CTempFolder dir(L"mx-image");
    Bytes file = MakeIco({ { 16, 16, 4, MaskedIcon4() }, { 32, 32, 32, AlphaIcon32() } });
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_ICO)) << image.GetLastError();
    EXPECT_EQ(32u, image.GetWidth());
    EXPECT_EQ(32u, image.GetHeight());
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(0, image.AlphaGet(0, 5));
    EXPECT_EQ(248, image.AlphaGet(31, 5));
    RGBQUAD c = image.GetPixelColor(3, 31);  // top row
    EXPECT_EQ(0x40, c.rgbBlue);
    EXPECT_EQ(0, c.rgbGreen);

    std::wstring path = dir.File(L"alpha.ico");
    ASSERT_TRUE(WriteFileBytes(path, file));
    CompareWithPlatform(path, 32, 2);
    ASSERT_TRUE(image.Load(path.c_str()));
    EXPECT_EQ(DWORD(IMAGE_TYPE_ICO), image.GetType()) << "found by detection";
}

TEST(IcoDecode, MaskBecomesTransparency) {
    CTempFolder dir(L"mx-image");
    Bytes file = MakeIco({ { 16, 16, 4, MaskedIcon4() } });
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_ICO)) << image.GetLastError();
    EXPECT_EQ(4, image.GetBpp());
    ASSERT_TRUE(image.AlphaIsValid());
    for (DWORD x = 0; x < 16; ++x) EXPECT_EQ(x < 4 ? 0 : 255, image.AlphaGet(x, 7)) << x;
    std::wstring path = dir.File(L"masked.ico");
    ASSERT_TRUE(WriteFileBytes(path, file));
    CompareWithPlatform(path, 16, 0);
}

TEST(IcoDecode, PngEntriesAndTheSizeZeroMeaning256) {
    PngSpec shape;
    shape.width = 256;
    shape.height = 256;
    shape.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 256 * 256; ++i) shape.rows.insert(shape.rows.end(), { 1, 2, 3, uint8_t(i >> 8) });
    Bytes file = MakeIco({ { 48, 48, 32, IconDib(48, 48, 32, {}, [](int, int) { return 0xFF000000u; },
                                                  [](int, int) { return 0u; }) },
                           { 256, 256, 32, MakePng(shape) } });
    CxImage image;
    ASSERT_TRUE(DecodeBytes(image, file, IMAGE_TYPE_AUTO)) << image.GetLastError();
    EXPECT_EQ(DWORD(IMAGE_TYPE_ICO), image.GetType());
    EXPECT_EQ(256u, image.GetWidth());
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(255, image.AlphaGet(0, 0)) << "bottom row";
    EXPECT_EQ(0, image.AlphaGet(0, 255));
}

TEST(IcoDecode, BrokenFilesAreRefused) {
    const Bytes good = MakeIco({ { 16, 16, 4, MaskedIcon4() } });
    struct Case { const char* what; size_t at; int bytes; uint32_t value; const char* error; };
    const Case cases[] = {
        { "reserved word", 0, 2, 1, "Not an ICO file" },
        { "type 3", 2, 2, 3, "Not an ICO file" },
        { "no entries", 4, 2, 0, "Not an ICO file" },
        { "more entries than the file", 4, 2, 40, "Not an ICO file" },
        { "entry beyond the end", 18, 4, 5000, "ICO: no readable entry" },
        { "entry longer than the file", 14, 4, 0x7FFFFFFF, "ICO: no readable entry" },
        { "tiny entry", 14, 4, 4, "ICO: no readable entry" },
        { "bad inner header", 22, 4, 77, "Not a BMP" },
        { "one row only", 30, 4, 1, "Not a BMP" },
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        if (c.bytes == 2) {
            bad[c.at] = uint8_t(c.value);
            bad[c.at + 1] = uint8_t(c.value >> 8);
        } else {
            Set32(bad, c.at, c.value);
        }
        CxImage image;
        EXPECT_FALSE(DecodeBytes(image, bad, IMAGE_TYPE_ICO)) << c.what;
        EXPECT_STREQ(c.error, image.GetLastError()) << c.what;
    }

    // Random damage and truncation: refused with a text, or a size the file holds.
    const Bytes alpha = MakeIco({ { 16, 16, 4, MaskedIcon4() }, { 32, 32, 32, AlphaIcon32() } });
    uint32_t seed = 99;
    size_t refused = 0, decoded = 0;
    for (const Bytes* sample : { &good, &alpha }) {
        for (int round = 0; round < 1500; ++round) {
            Bytes bad = *sample;
            seed = seed * 1664525u + 1013904223u;
            if (round % 3 == 0) bad.resize((seed >> 8) % bad.size());
            for (int i = 0; i < 1 + round % 4 && !bad.empty(); ++i) {
                seed = seed * 1664525u + 1013904223u;
                bad[(seed >> 8) % bad.size()] = uint8_t(seed >> 3);
            }
            CxImage image;
            if (!DecodeBytes(image, bad, round % 2 ? IMAGE_TYPE_ICO : IMAGE_TYPE_AUTO)) {
                ++refused;
                EXPECT_NE('\0', image.GetLastError()[0]);
                continue;
            }
            ++decoded;
            EXPECT_LE(uint64_t(image.GetWidth()) * image.GetHeight(), uint64_t(bad.size()) * 8) << round;
        }
    }
    EXPECT_GT(refused, 500u);
    EXPECT_GT(decoded, 100u);
}

TEST(GifAndIco, FailCleanlyWhereTheyCannotWork) {
    CTempFolder dir(L"mx-image");
    Bytes gif = { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255, ';' };
    CxImage image;
    EXPECT_FALSE(DecodeBytes(image, gif, IMAGE_TYPE_GIF));
    EXPECT_STREQ("GIF decoding is not supported", image.GetLastError());
    EXPECT_FALSE(DecodeBytes(image, gif, IMAGE_TYPE_AUTO));
    EXPECT_STREQ("Decode: Unknown or wrong format", image.GetLastError());
    EXPECT_FALSE(DecodeBytes(image, Bytes{ 'G', 'I', 'F' }, IMAGE_TYPE_GIF));
    EXPECT_STREQ("Not a GIF file", image.GetLastError());

    ASSERT_NE(nullptr, image.Create(2, 2, 24));
    EXPECT_FALSE(image.Save(dir.File(L"x.gif").c_str(), IMAGE_TYPE_GIF));
    EXPECT_STREQ("GIF encoding is not supported", image.GetLastError());
    EXPECT_FALSE(image.Save(dir.File(L"x.ico").c_str(), IMAGE_TYPE_ICO));
    EXPECT_STREQ("ICO encoding is not supported", image.GetLastError());
    EXPECT_TRUE(image.IsValid());
}
