#include <gtest/gtest.h>
#include <cstring>
#include <png.h>
#include "image/CxImage.h"
#include "tests/image/ImageTestSupport.h"

using namespace imgtest;

namespace {

const uint32_t kWhite = 0xFFFFFFFF;

// 48 x 20 RGBA: opaque red, with a half-transparent blue pixel at (5, 3)
// and a fully transparent green one at (6, 3), counted from the top.
Bytes SemiTransparentPng() {
    PngSpec shape;
    shape.width = 48;
    shape.height = 20;
    shape.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 48; ++x) {
            uint8_t px[4] = { 255, 0, 0, 255 };
            if (y == 3 && x == 5) { px[0] = 0; px[2] = 255; px[3] = 128; }
            if (y == 3 && x == 6) { px[0] = 0; px[1] = 255; px[3] = 0; }
            shape.rows.insert(shape.rows.end(), px, px + 4);
        }
    }
    return MakePng(shape);
}

class ImageObject : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.File(L"semi.png");
        ASSERT_TRUE(WriteFileBytes(path, SemiTransparentPng()));
        ASSERT_TRUE(image.Load(path.c_str(), IMAGE_TYPE_PNG)) << image.GetLastError();
    }
    CTempFolder dir{L"mx-image"};
    std::wstring path;
    CxImage image;
};

}  // namespace

TEST(ImageCreate, RoundsBitDepthAndRefusesEmptySizes) {
    CxImage image;
    EXPECT_EQ(nullptr, image.Create(0, 10, 24, IMAGE_TYPE_BMP));
    EXPECT_STREQ("CxImage::Create : width and height must be greater than zero", image.GetLastError());
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(nullptr, image.Create(10, 0, 24, IMAGE_TYPE_BMP));
    EXPECT_FALSE(image.IsValid());

    ASSERT_NE(nullptr, image.Create(10, 10, 12, IMAGE_TYPE_BMP));
    EXPECT_EQ(24, image.GetBpp());
    EXPECT_EQ(32u, image.GetEffWidth());
    EXPECT_EQ(0u, image.GetNumColors());
    const BITMAPINFOHEADER* head = static_cast<const BITMAPINFOHEADER*>(image.GetDIB());
    EXPECT_EQ(40u, head->biSize);
    EXPECT_EQ(10, head->biWidth);
    EXPECT_EQ(10, head->biHeight);
    EXPECT_EQ(320u, head->biSizeImage);
    EXPECT_EQ(40u + 320u, image.GetDIBSize());
    EXPECT_EQ(DWORD(IMAGE_TYPE_BMP), image.GetType());

    const struct { DWORD asked; WORD got; DWORD colours; } depths[] = {
        { 0, 1, 2 }, { 1, 1, 2 }, { 2, 4, 16 }, { 4, 4, 16 }, { 5, 8, 256 }, { 8, 8, 256 }, { 9, 24, 0 },
    };
    for (const auto& d : depths) {
        ASSERT_NE(nullptr, image.Create(3, 2, d.asked));
        EXPECT_EQ(d.got, image.GetBpp()) << d.asked;
        EXPECT_EQ(d.colours, image.GetNumColors()) << d.asked;
        for (DWORD i = 0; i < d.colours; ++i) {
            RGBQUAD c = image.GetPaletteColor(i);
            EXPECT_EQ(0u, c.rgbRed | c.rgbGreen | c.rgbBlue | c.rgbReserved);
        }
    }
    // An absurd size fails cleanly instead of wrapping around.
    EXPECT_EQ(nullptr, image.Create(0x7FFFFFFF, 0x7FFFFFFF, 24));
    EXPECT_STREQ("CxImage::Create can't allocate memory", image.GetLastError());
}

TEST(ImageCreate, DefaultsOfAnEmptyImage) {
    CxImage image;
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(0u, image.GetWidth());
    EXPECT_EQ(-1, image.GetTransIndex());
    EXPECT_EQ(90, image.GetJpegQuality());
    EXPECT_EQ(255, image.AlphaGetMax());
    EXPECT_EQ(96, image.GetXDPI());
    EXPECT_EQ(96, image.GetYDPI());
    EXPECT_FALSE(image.AlphaIsValid());
    CDibCanvas canvas(4, 4, kWhite);
    EXPECT_EQ(0, image.Draw(canvas.dc()));
}

TEST_F(ImageObject, DrawsAtOwnSizeWithPerPixelAlpha) {
    ASSERT_EQ(48u, image.GetWidth());
    ASSERT_EQ(20u, image.GetHeight());
    ASSERT_TRUE(image.AlphaIsValid());
    for (int variant = 0; variant < 2; ++variant) {
        CDibCanvas canvas(120, 60, kWhite);
        ASSERT_TRUE(canvas.ok());
        long cx = variant == 0 ? -1 : 0, cy = variant == 0 ? -1 : 0;
        EXPECT_EQ(1, image.Draw(canvas.dc(), 10, 5, cx, cy));
        EXPECT_EQ(0xFFFF0000u, canvas.At(10, 5));
        EXPECT_EQ(0xFFFF0000u, canvas.At(57, 24));
        EXPECT_EQ(kWhite, canvas.At(58, 5)) << "48 pixels wide, not more";
        EXPECT_EQ(kWhite, canvas.At(10, 25));
        EXPECT_EQ(kWhite, canvas.At(9, 5));
        // Half-transparent blue over opaque white, with premultiplied colour.
        EXPECT_TRUE(Near(0xFF7F7FFFu, canvas.At(15, 8), 2)) << std::hex << canvas.At(15, 8);
        EXPECT_EQ(kWhite, canvas.At(16, 8)) << "a transparent pixel leaves the target alone";
    }
}

TEST_F(ImageObject, StretchesClipsAndHonoursAlphaMaximum) {
    CDibCanvas stretched(120, 60, kWhite);
    EXPECT_EQ(1, image.Draw(stretched.dc(), 10, 5, 96, 40));
    EXPECT_EQ(0xFFFF0000u, stretched.At(105, 44));
    EXPECT_EQ(kWhite, stretched.At(106, 44));
    EXPECT_EQ(kWhite, stretched.At(105, 45));

    CDibCanvas clipped(120, 60, kWhite);
    RECT clip = { 10, 5, 20, 10 };
    EXPECT_EQ(1, image.Draw(clipped.dc(), 10, 5, -1, -1, &clip));
    EXPECT_EQ(0xFFFF0000u, clipped.At(12, 6));
    EXPECT_EQ(kWhite, clipped.At(20, 6));
    EXPECT_EQ(kWhite, clipped.At(12, 10));

    image.AlphaSetMax(128);
    CDibCanvas faded(60, 30, kWhite);
    EXPECT_EQ(1, image.Draw(faded.dc(), 0, 0));
    EXPECT_TRUE(Near(0xFFFF7F7Fu, faded.At(1, 1), 2)) << std::hex << faded.At(1, 1);
}

TEST_F(ImageObject, PlainPathMixesWithBackgroundColour) {
    CDibCanvas canvas(60, 30, kWhite);
    SetBkColor(canvas.dc(), RGB(0, 255, 0));
    EXPECT_EQ(1, image.DrawPlain(canvas.dc(), 0, 0, -1, -1));
    EXPECT_TRUE(Near(0xFF0000u, canvas.At(0, 0), 1, false));
    EXPECT_TRUE(Near(0x007F80u, canvas.At(5, 3), 2, false)) << std::hex << canvas.At(5, 3);
    EXPECT_TRUE(Near(0x00FF00u, canvas.At(6, 3), 1, false));
    EXPECT_TRUE(Near(0xFFFFFFu, canvas.At(48, 0), 0, false));
}

TEST(ImageDraw, TransparentIndexAndSmoothing) {
    CxImage image;
    ASSERT_NE(nullptr, image.Create(4, 4, 8));
    image.SetPaletteColor(1, 0, 255, 0);
    image.SetPaletteColor(2, 0, 0, 255);
    for (DWORD y = 0; y < 4; ++y)
        for (DWORD x = 0; x < 4; ++x) image.SetPixelIndex(x, y, 1);
    image.SetPixelIndex(0, 3, 2);  // top-left
    image.SetPixelIndex(1, 3, 2);
    image.SetTransIndex(2);
    CDibCanvas canvas(8, 8, kWhite);
    EXPECT_EQ(1, image.Draw(canvas.dc(), 0, 0));
    EXPECT_EQ(kWhite, canvas.At(0, 0));
    EXPECT_EQ(kWhite, canvas.At(1, 0));
    EXPECT_EQ(0xFF00FF00u, canvas.At(2, 0));
    EXPECT_EQ(0xFF00FF00u, canvas.At(0, 1));

    // Black | white enlarged four times: plain stretching repeats pixels,
    // smoothing interpolates between them.
    CxImage pair;
    ASSERT_NE(nullptr, pair.Create(2, 1, 24));
    pair.SetPixelColor(1, 0, RGBQUAD{ 255, 255, 255, 0 });
    CDibCanvas hard(8, 1, 0xFF000080), soft(8, 1, 0xFF000080);
    EXPECT_EQ(1, pair.Draw(hard.dc(), 0, 0, 8, 1, nullptr, false));
    EXPECT_EQ(1, pair.Draw(soft.dc(), 0, 0, 8, 1, nullptr, true));
    int between = 0;
    uint32_t last = 0;
    for (int x = 0; x < 8; ++x) {
        uint32_t h = hard.At(x, 0) & 0xFF, s = soft.At(x, 0) & 0xFF;
        EXPECT_TRUE(h == 0 || h == 255) << x;
        EXPECT_GE(s, last) << x;
        last = s;
        if (s != 0 && s != 255) ++between;
    }
    EXPECT_GE(between, 2);
    EXPECT_EQ(0xFF000000u, soft.At(0, 0));
    EXPECT_EQ(kWhite, soft.At(7, 0));
}

TEST(ImageLoad, DetectionAndErrorTexts) {
    CTempFolder dir{L"mx-image"};
    PngSpec shape;
    shape.width = 3;
    shape.height = 2;
    shape.colourType = PNG_COLOR_TYPE_RGB;
    shape.rows.assign(18, 0x40);
    std::wstring png = dir.File(L"named.bmp");
    ASSERT_TRUE(WriteFileBytes(png, MakePng(shape)));

    CxImage image;
    EXPECT_TRUE(image.Load(png.c_str(), IMAGE_TYPE_BMP)) << image.GetLastError();
    EXPECT_EQ(3u, image.GetWidth());
    EXPECT_EQ(DWORD(IMAGE_TYPE_PNG), image.GetType());
    EXPECT_TRUE(image.Load(png.c_str(), 7)) << "an unknown type detects";

    std::wstring junk = dir.File(L"junk.bin");
    ASSERT_TRUE(WriteFileBytes(junk, Bytes{ 'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', 0, 1 }));
    EXPECT_FALSE(image.Load(junk.c_str(), IMAGE_TYPE_BMP));
    EXPECT_STREQ("Not a BMP", image.GetLastError()) << "the named type's error is put back";
    EXPECT_FALSE(image.IsValid());
    EXPECT_FALSE(image.Load(junk.c_str(), IMAGE_TYPE_PNG));
    EXPECT_STREQ("Not a PNG file", image.GetLastError());
    EXPECT_FALSE(image.Load(junk.c_str()));
    EXPECT_STREQ("Decode: Unknown or wrong format", image.GetLastError());

    EXPECT_TRUE(image.Load(png.c_str(), IMAGE_TYPE_PNG));
    EXPECT_FALSE(image.Load(dir.File(L"missing.png").c_str(), IMAGE_TYPE_PNG));
    EXPECT_STREQ("", image.GetLastError());
    EXPECT_FALSE(image.IsValid());
}

TEST(ImageLoad, FromResourceOfAnotherModule) {
    CTempFolder dir{L"mx-image"};
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring copy = dir.File(L"resources.exe");
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));

    PngSpec shape;
    shape.width = 5;
    shape.height = 4;
    shape.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 20; ++i) shape.rows.insert(shape.rows.end(), { 10, 20, 30, uint8_t(i * 10) });
    Bytes png = MakePng(shape);
    BmpSpec bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.pixels = PackRows(2, 2, 24, false, [](int, int) { return 0x123456u; });
    Bytes bmpFile = MakeBmp(bmp);

    HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
    ASSERT_NE(nullptr, update);
    ASSERT_TRUE(UpdateResourceW(update, L"PNG", L"PICTURE", 0, png.data(), DWORD(png.size())));
    ASSERT_TRUE(UpdateResourceW(update, L"PNG", L"OTHER", 0, bmpFile.data(), DWORD(bmpFile.size())));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));

    HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    CxImage image;
    HRSRC picture = FindResourceW(module, L"picture", L"PNG");
    ASSERT_NE(nullptr, picture);
    EXPECT_TRUE(image.LoadFromResource(picture, IMAGE_TYPE_PNG, module)) << image.GetLastError();
    EXPECT_EQ(5u, image.GetWidth());
    EXPECT_EQ(4u, image.GetHeight());
    ASSERT_TRUE(image.AlphaIsValid());
    EXPECT_EQ(190, image.AlphaGet(4, 0)) << "last pixel of the bottom row";
    RGBQUAD c = image.GetPixelColor(0, 0);
    EXPECT_EQ(10, c.rgbRed);
    EXPECT_EQ(30, c.rgbBlue);

    HRSRC other = FindResourceW(module, L"OTHER", L"png");
    ASSERT_NE(nullptr, other);
    EXPECT_FALSE(image.LoadFromResource(other, IMAGE_TYPE_PNG, module));
    EXPECT_STREQ("Not a PNG file", image.GetLastError());
    EXPECT_TRUE(image.LoadFromResource(other, IMAGE_TYPE_AUTO, module));
    EXPECT_EQ(DWORD(IMAGE_TYPE_BMP), image.GetType());
    EXPECT_EQ(0x56, image.GetPixelColor(1, 1).rgbBlue);
    EXPECT_FALSE(image.LoadFromResource(nullptr, IMAGE_TYPE_PNG, module));
    FreeLibrary(module);
}

TEST(ImageSave, UnknownTypesLeaveAnEmptyFile) {
    CTempFolder dir{L"mx-image"};
    CxImage image;
    ASSERT_NE(nullptr, image.Create(4, 4, 24));
    for (DWORD type : { 0u, 6u }) {
        std::wstring path = dir.File(type ? L"six.img" : L"zero.img");
        EXPECT_FALSE(image.Save(path.c_str(), type));
        EXPECT_STREQ("Encode: Unknown format", image.GetLastError());
        EXPECT_EQ(0, FileSizeOf(path));
    }
    EXPECT_TRUE(image.IsValid()) << "a failed save keeps the picture";
    EXPECT_FALSE(image.Save(dir.File(L"no\\such\\folder.png").c_str(), IMAGE_TYPE_PNG));
    EXPECT_FALSE(image.Save(dir.File(L"x.gif").c_str(), IMAGE_TYPE_GIF));
    EXPECT_EQ(0, FileSizeOf(dir.File(L"x.gif")));
    CxImage empty;
    EXPECT_FALSE(empty.Save(dir.File(L"empty.png").c_str(), IMAGE_TYPE_PNG));
    EXPECT_EQ(0, FileSizeOf(dir.File(L"empty.png")));
}
