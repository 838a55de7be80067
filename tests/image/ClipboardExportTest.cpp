// The road a copied picture takes when it is saved as JPEG or PNG: the DIB
// the clipboard hands out is written as a BMP file with a file header in
// front, loaded back as BMP, and saved in the other format.
#include <gtest/gtest.h>
#include <png.h>
#include "image/CxImage.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/CTestClipboard.h"

using namespace imgtest;

namespace {

uint32_t Colour(int x, int y) { return uint32_t(x * 9) << 16 | uint32_t(y * 5) << 8 | uint32_t((x ^ y) & 0xFF); }

// What the clipboard synthesises as CF_DIB from a bitmap put on it.
Bytes ClipboardDibOf(int width, int height) {
    CDibCanvas canvas(width, height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) SetPixelV(canvas.dc(), x, y, RGB(Colour(x, y) >> 16, (Colour(x, y) >> 8) & 0xFF, Colour(x, y) & 0xFF));
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, canvas.dc(), 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    {
        mxtest::CTestClipboard clipboard(true);
        if (!clipboard.IsOpen() || !SetClipboardData(CF_BITMAP, bitmap)) DeleteObject(bitmap);
    }
    mxtest::CTestClipboard clipboard;
    const Bytes dib = mxtest::ClipboardBytes(CF_DIB);
    EmptyClipboard();
    return dib;
}

// File header as the bitmap format writes it in front of a stored DIB.
Bytes WithFileHeader(const Bytes& dib) {
    const BITMAPINFOHEADER* head = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    uint32_t offset = head->biSize;
    if (head->biCompression == BI_BITFIELDS && head->biSize == 40) offset += 12;
    uint32_t colours = head->biClrUsed;
    if (!colours && head->biBitCount <= 8) colours = 1u << head->biBitCount;
    offset += 4 * colours;
    Bytes file = { 'B', 'M' };
    Put32(file, uint32_t(dib.size() + 14));
    Put32(file, 0);
    Put32(file, 14 + offset);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

}  // namespace

TEST(ClipboardExport, CopiedPictureSavesAsPngAndJpeg) {
    const int w = 40, h = 30;
    Bytes dib = ClipboardDibOf(w, h);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER) + size_t(w) * h * 3);

    CTempFolder dir(L"mx-image");
    std::wstring bmp = dir.File(L"copied.bmp"), png = dir.File(L"copied.png"), jpg = dir.File(L"copied.jpg");
    ASSERT_TRUE(WriteFileBytes(bmp, WithFileHeader(dib)));
    CxImage image;
    ASSERT_TRUE(image.Load(bmp.c_str(), IMAGE_TYPE_BMP)) << image.GetLastError();
    EXPECT_EQ(DWORD(w), image.GetWidth());
    EXPECT_EQ(DWORD(h), image.GetHeight());
    std::vector<uint32_t> expected;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) expected.push_back(0xFF000000u | Colour(x, y));
    EXPECT_EQ(expected, PixelsTopDown(image));

    ASSERT_TRUE(image.Save(png.c_str(), IMAGE_TYPE_PNG)) << image.GetLastError();
    PngFacts facts = ReadPng(ReadFileBytes(png));
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(PNG_COLOR_TYPE_RGB, facts.colourType);
    EXPECT_EQ(expected, facts.argb);

    ASSERT_TRUE(image.Save(jpg.c_str(), IMAGE_TYPE_JPG)) << image.GetLastError();
    JpegFacts jpeg = ReadJpeg(ReadFileBytes(jpg));
    ASSERT_TRUE(jpeg.ok);
    EXPECT_EQ(w, jpeg.width);
    EXPECT_EQ(3, jpeg.components);
    EXPECT_EQ(96, jpeg.xDensity);
    long error = 0;
    for (int i = 0; i < w * h; ++i)
        for (int c = 0; c < 3; ++c) error += std::abs(int(expected[i] >> (16 - 8 * c) & 0xFF) - jpeg.samples[i * 3 + c]);
    EXPECT_LT(error / (w * h * 3), 6);
}
