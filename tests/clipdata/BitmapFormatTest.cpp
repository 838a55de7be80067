// Pictures (CF_DIB) through the real clipboard: thumbnails, the stored DIB,
// BMP, JPEG and PNG files, and DIBs whose headers lie.
#include <gtest/gtest.h>

#include "ClipTest.h"

#include <propidl.h>
#include <gdiplus.h>

#include <climits>
#include <cstring>
#include <functional>

#include "clipdata/CBitmapFormat.h"

using namespace cliptest;

namespace {

using Painter = std::function<COLORREF(int x, int y)>;  // y = 0 is the top row

struct DibRecipe {
    int width = 8;
    int height = 8;  // negative: top-down rows
    int bits = 24;
    DWORD compression = BI_RGB;
    DWORD sizeImage = 0;
    Painter paint = [](int, int) { return RGB(200, 30, 40); };
};

// A packed DIB as a program puts it on the clipboard.
Bytes MakeDib(const DibRecipe& recipe) {
    BITMAPINFOHEADER head = {};
    head.biSize = sizeof(head);
    head.biWidth = recipe.width;
    head.biHeight = recipe.height;
    head.biPlanes = 1;
    head.biBitCount = WORD(recipe.bits);
    head.biCompression = recipe.compression;
    const int rows = recipe.height < 0 ? -recipe.height : recipe.height;
    const size_t stride = (size_t(recipe.width) * recipe.bits + 31) / 32 * 4;
    head.biSizeImage = recipe.sizeImage;
    Bytes dib(reinterpret_cast<BYTE*>(&head), reinterpret_cast<BYTE*>(&head) + sizeof(head));
    if (recipe.compression == BI_BITFIELDS) {
        for (DWORD mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu})
            dib.insert(dib.end(), reinterpret_cast<BYTE*>(&mask), reinterpret_cast<BYTE*>(&mask) + 4);
    }
    if (recipe.bits == 8) {  // a grey palette; the painter's red channel is the index
        for (int i = 0; i < 256; ++i) dib.insert(dib.end(), {BYTE(i), BYTE(i), BYTE(i), 0});
    }
    const size_t start = dib.size();
    dib.resize(start + stride * rows);
    for (int row = 0; row < rows; ++row) {
        const int y = recipe.height < 0 ? row : rows - 1 - row;
        BYTE* line = dib.data() + start + stride * row;
        for (int x = 0; x < recipe.width; ++x) {
            const COLORREF c = recipe.paint(x, y);
            if (recipe.bits == 8) {
                line[x] = GetRValue(c);
            } else {
                BYTE* p = line + x * recipe.bits / 8;
                p[0] = GetBValue(c);
                p[1] = GetGValue(c);
                p[2] = GetRValue(c);
                if (recipe.bits == 32) p[3] = 0;
            }
        }
    }
    return dib;
}

struct Stored {
    INT32 width = 0, height = 0;
    Bytes thumbnail, dib;
    size_t size = 0;
};

Stored Parse(const Bytes& stream) {
    Stored stored;
    stored.size = stream.size();
    stored.width = INT32(ReadU32(stream, 16));
    stored.height = INT32(ReadU32(stream, 20));
    const size_t thumb = size_t(stored.width) * stored.height * 4;
    if (24 + thumb + 4 > stream.size()) return stored;
    stored.thumbnail.assign(stream.begin() + 24, stream.begin() + 24 + thumb);
    const size_t n = ReadU32(stream, 24 + thumb);
    if (28 + thumb + n <= stream.size()) stored.dib.assign(stream.begin() + 28 + thumb, stream.begin() + 28 + thumb + n);
    return stored;
}

// Puts the DIB through the peer and captures it into stream `name`.
bool CaptureDib(const Bytes& dib, TestStorage& storage, const wchar_t* name, CBitmapFormat& format) {
    return PeerPuts({{FormatNumber(CF_DIB), dib, 0}}) && Capture(format, storage, name);
}

DWORD ThumbPixel(const Stored& stored, int x, int yFromTop) {
    const int row = stored.height - 1 - yFromTop;  // bottom-up
    DWORD pixel;
    std::memcpy(&pixel, stored.thumbnail.data() + (size_t(row) * stored.width + x) * 4, 4);
    return pixel;
}

bool AllOpaque(const Stored& stored) {
    for (size_t i = 3; i < stored.thumbnail.size(); i += 4)
        if (stored.thumbnail[i] != 255) return false;
    return true;
}

bool Near(DWORD pixel, COLORREF colour, int tolerance = 8) {
    return abs(int((pixel >> 16) & 0xFF) - GetRValue(colour)) <= tolerance &&
           abs(int((pixel >> 8) & 0xFF) - GetGValue(colour)) <= tolerance &&
           abs(int(pixel & 0xFF) - GetBValue(colour)) <= tolerance;
}

bool NearColour(COLORREF a, COLORREF b) {
    return Near(GetRValue(a) << 16 | GetGValue(a) << 8 | GetBValue(a), b);
}

class GdiPlus {
public:
    GdiPlus() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiPlus() { Gdiplus::GdiplusShutdown(m_token); }

    // Decodes a file with the platform's codecs: size and the colour at (x, y).
    static bool Decode(const std::wstring& path, UINT& width, UINT& height, int x, int y, DWORD& argb) {
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok) return false;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
        Gdiplus::ARGB colour = 0;
        Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, x, y, &colour);
        argb = colour;
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
        return true;
    }

private:
    ULONG_PTR m_token = 0;
};

std::vector<std::wstring> OurTempFiles() {
    std::vector<std::wstring> names;
    for (const std::wstring& name : TempFolderListing())
        if (_wcsnicmp(name.c_str(), L"ob-", 3) == 0) names.push_back(name);
    return names;
}

}  // namespace

TEST(BitmapFormat, ThumbnailSizes) {
    const struct {
        int width, height, thumbWidth, thumbHeight;
    } cases[] = {{100, 80, 100, 80}, {400, 300, 200, 150}, {300, 600, 75, 150},
                 {210, 200, 200, 190}, {1, 1000, 0, 150}, {400, -300, 200, 150}};
    TestStorage storage;
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        DibRecipe recipe;
        recipe.width = c.width;
        recipe.height = c.height;
        const Bytes dib = MakeDib(recipe);
        const std::wstring name = L"t" + std::to_wstring(index++);
        CBitmapFormat format;
        ASSERT_TRUE(CaptureDib(dib, storage, name.c_str(), format));
        const Stored stored = Parse(storage.StreamBytes(name.c_str()));
        EXPECT_EQ(stored.width, c.thumbWidth);
        EXPECT_EQ(stored.height, c.thumbHeight);
        EXPECT_EQ(format.GetThumbnailWidth(), c.thumbWidth);
        EXPECT_EQ(format.GetThumbnailHeight(), c.thumbHeight);
        EXPECT_EQ(stored.dib, dib);
        EXPECT_EQ(stored.size, 28 + size_t(c.thumbWidth) * c.thumbHeight * 4 + dib.size());
        EXPECT_TRUE(AllOpaque(stored));
        EXPECT_EQ(Digest(format), Md5(dib));
        if (c.thumbWidth) {
            EXPECT_TRUE(Near(ThumbPixel(stored, c.thumbWidth / 2, c.thumbHeight / 2), RGB(200, 30, 40)));
        }
        SIZE size = {};
        format.MeasurePreview(nullptr, &size, NO_GLOW);
        EXPECT_EQ(size.cx, c.thumbWidth);
        EXPECT_EQ(size.cy, c.thumbHeight);
    }
}

// A top-down DIB: the thumbnail is sized from its absolute height and shows
// the picture upright; the tooltip keeps the stored, negative height.
TEST(BitmapFormat, TopDownPictureIsUpright) {
    DibRecipe recipe;
    recipe.width = 40;
    recipe.height = -30;
    recipe.paint = [](int, int y) { return y < 15 ? RGB(255, 0, 0) : RGB(0, 0, 255); };
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(MakeDib(recipe), storage, L"s", format));
    const Stored stored = Parse(storage.StreamBytes(L"s"));
    ASSERT_EQ(stored.width, 40);
    ASSERT_EQ(stored.height, 30);
    EXPECT_TRUE(Near(ThumbPixel(stored, 20, 2), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(ThumbPixel(stored, 20, 27), RGB(0, 0, 255)));
    std::wstring tip;
    format.AppendDescription(tip);
    EXPECT_NE(tip.find(L"<b>40 x -30</b>"), std::wstring::npos);
}

TEST(BitmapFormat, TooltipLinesOfALargePicture) {
    DibRecipe recipe;
    recipe.width = 1024;
    recipe.height = 768;
    recipe.bits = 32;
    recipe.sizeImage = 3145728;
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(MakeDib(recipe), storage, L"s", format));
    std::wstring tip;
    format.AppendDescription(tip);
    EXPECT_EQ(tip, L"<br>Dimensions:<t><b>1024 x 768</b>"
                   L"<br>Colors:<t><b>32 bits per pixel</b>"
                   L"<br>Image size:<t><b>3145728 bytes</b>");

    CBitmapFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"s").Get()));
    std::wstring again;
    reloaded.AppendDescription(again);
    EXPECT_EQ(again, tip);
    EXPECT_EQ(reloaded.GetThumbnailWidth(), 200);
    EXPECT_EQ(reloaded.GetThumbnailHeight(), 150);
    EXPECT_TRUE(reloaded.HasSameDigest(format));
}

TEST(BitmapFormat, ReloadedThumbnailIsDrawnWithAlpha) {
    DibRecipe recipe;
    recipe.width = 60;
    recipe.height = 40;
    recipe.paint = [](int x, int) { return x < 30 ? RGB(0, 160, 0) : RGB(250, 250, 0); };
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(MakeDib(recipe), storage, L"s", format));
    CBitmapFormat reloaded;
    ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(L"s").Get()));

    CDibCanvas canvas(100, 80, PixelOf(RGB(255, 255, 255)));
    const RECT box = {10, 20, 90, 70};
    reloaded.DrawPreview(canvas.dc(), &box, NO_GLOW);
    EXPECT_TRUE(NearColour(canvas.Colour(15, 40), RGB(0, 160, 0)));
    EXPECT_TRUE(NearColour(canvas.Colour(65, 40), RGB(250, 250, 0)));
    EXPECT_EQ(canvas.Colour(5, 40), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Colour(75, 40), RGB(255, 255, 255));  // the thumbnail is 60 wide
    EXPECT_EQ(canvas.Colour(30, 65), RGB(255, 255, 255));  // and 40 high

    CBitmapFormat empty;
    CDibCanvas blank(20, 20, PixelOf(RGB(1, 2, 3)));
    empty.DrawPreview(blank.dc(), &box, NO_GLOW);
    EXPECT_EQ(blank.CountOther(RGB(1, 2, 3)), 0);
}

// A screenshot tool puts only CF_BITMAP; the clipboard offers a CF_DIB made
// from it, which is what is stored.
TEST(BitmapFormat, PictureGivenAsBitmapOnly) {
    DibRecipe recipe;
    recipe.width = 50;
    recipe.height = 20;
    recipe.paint = [](int, int) { return RGB(0, 0, 255); };
    ASSERT_TRUE(PeerPuts({{L"ddb", MakeDib(recipe), 0}}));
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(Capture(format, storage, L"s"));
    const Stored stored = Parse(storage.StreamBytes(L"s"));
    EXPECT_EQ(stored.width, 50);
    EXPECT_EQ(stored.height, 20);
    EXPECT_TRUE(Near(ThumbPixel(stored, 25, 10), RGB(0, 0, 255)));
    ASSERT_GE(stored.dib.size(), 40u);
    EXPECT_EQ(Digest(format), Md5(stored.dib));
}

TEST(BitmapFormat, RestoreAndDropTargetGiveTheStoredDib) {
    DibRecipe recipe;
    recipe.width = 33;
    recipe.height = 17;
    const Bytes dib = MakeDib(recipe);
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(dib, storage, L"s", format));

    std::vector<UINT> formats;
    Bytes onClipboard;
    ASSERT_TRUE(Restore(format, storage.OpenStream(L"s").Get(), &formats, CF_DIB, &onClipboard));
    EXPECT_EQ(formats, std::vector<UINT>{CF_DIB});
    EXPECT_EQ(onClipboard, dib);

    FORMATETC asked = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC combined = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM};
    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(format.QueryGetData(&asked), S_OK);
    EXPECT_EQ(format.QueryGetData(&combined), DV_E_TYMED);
    EXPECT_EQ(format.QueryGetData(&text), E_INVALIDARG);
    STGMEDIUM medium = {};
    EXPECT_EQ(format.GetData(&combined, &medium, storage.OpenStream(L"s").Get()), DV_E_TYMED);
    ASSERT_EQ(format.GetData(&asked, &medium, storage.OpenStream(L"s").Get()), S_OK);
    EXPECT_EQ(medium.tymed, DWORD(TYMED_HGLOBAL));
    ASSERT_EQ(GlobalSize(medium.hGlobal), dib.size());
    EXPECT_EQ(std::memcmp(GlobalLock(medium.hGlobal), dib.data(), dib.size()), 0);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);

    FormatEtcRecorder pairs;
    format.AddFormatEtcs(pairs);
    EXPECT_EQ(pairs.pairs, (std::vector<std::pair<CLIPFORMAT, DWORD>>{{CF_DIB, TYMED_HGLOBAL}}));
    SaveFormatList choices;
    format.AddSaveFormats(choices);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0].format, SAVE_FORMAT_BITMAP);
    EXPECT_EQ(choices[1].format, SAVE_FORMAT_JPEG);
    EXPECT_EQ(choices[2].format, SAVE_FORMAT_PNG);
    EXPECT_STREQ(choices[2].streamName, L"def-clip-bitmap");
}

TEST(BitmapFormat, SavedBmpHeaders) {
    const struct {
        int bits;
        DWORD compression;
        UINT32 offBits;
    } cases[] = {{24, BI_RGB, 54}, {32, BI_BITFIELDS, 66}, {8, BI_RGB, 1078}};
    TestStorage storage;
    const std::wstring file = TempPath(L"saved.bmp");
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        DibRecipe recipe;
        recipe.width = 13;
        recipe.height = 7;
        recipe.bits = c.bits;
        recipe.compression = c.compression;
        const Bytes dib = MakeDib(recipe);
        const std::wstring name = L"b" + std::to_wstring(index++);
        CBitmapFormat format;
        ASSERT_TRUE(CaptureDib(dib, storage, name.c_str(), format));
        ASSERT_TRUE(format.SaveToFile(Entry(format, SAVE_FORMAT_BITMAP, file), storage.OpenStream(name.c_str()).Get()));
        const Bytes saved = ReadFileBytes(file);
        ASSERT_EQ(saved.size(), dib.size() + 14);
        EXPECT_EQ(saved[0], 'B');
        EXPECT_EQ(saved[1], 'M');
        EXPECT_EQ(ReadU32(saved, 2), dib.size() + 14);
        EXPECT_EQ(ReadU32(saved, 6), 0u);
        EXPECT_EQ(ReadU32(saved, 10), c.offBits);
        EXPECT_EQ(Bytes(saved.begin() + 14, saved.end()), dib);
        // The platform reads the file back as the same picture.
        HBITMAP loaded = static_cast<HBITMAP>(LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        ASSERT_NE(loaded, nullptr);
        BITMAP info = {};
        GetObjectW(loaded, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, 13);
        EXPECT_EQ(info.bmHeight, 7);
        DeleteObject(loaded);
    }
    DeleteFileW(file.c_str());
}

TEST(BitmapFormat, JpegAndPngFilesDecodeAndLeaveNoTemporaryFile) {
    GdiPlus gdiplus;
    DibRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.paint = [](int x, int y) { return x < 32 ? RGB(255, 0, 0) : (y < 24 ? RGB(0, 255, 0) : RGB(0, 0, 255)); };
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(MakeDib(recipe), storage, L"s", format));

    const std::vector<std::wstring> before = OurTempFiles();
    const std::wstring jpeg = TempPath(L"saved.jpg"), png = TempPath(L"saved.png");
    ASSERT_TRUE(format.SaveToFile(Entry(format, SAVE_FORMAT_JPEG, jpeg), storage.OpenStream(L"s").Get()));
    ASSERT_TRUE(format.SaveToFile(Entry(format, SAVE_FORMAT_PNG, png), storage.OpenStream(L"s").Get()));
    EXPECT_EQ(OurTempFiles(), before);

    const Bytes jpegBytes = ReadFileBytes(jpeg), pngBytes = ReadFileBytes(png);
    ASSERT_GE(jpegBytes.size(), 4u);
    EXPECT_EQ(jpegBytes[0], 0xFF);
    EXPECT_EQ(jpegBytes[1], 0xD8);
    ASSERT_GE(pngBytes.size(), 8u);
    EXPECT_EQ(std::memcmp(pngBytes.data(), "\x89PNG\r\n\x1a\n", 8), 0);

    UINT width = 0, height = 0;
    DWORD argb = 0;
    ASSERT_TRUE(GdiPlus::Decode(png, width, height, 48, 8, argb));
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 48u);
    EXPECT_EQ(argb, 0xFF00FF00u);  // lossless: exactly the green quarter
    ASSERT_TRUE(GdiPlus::Decode(png, width, height, 48, 40, argb));
    EXPECT_EQ(argb, 0xFF0000FFu);
    ASSERT_TRUE(GdiPlus::Decode(jpeg, width, height, 8, 24, argb));
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 48u);
    EXPECT_TRUE(Near(argb, RGB(255, 0, 0), 40));
    DeleteFileW(jpeg.c_str());
    DeleteFileW(png.c_str());

    const std::wstring other = TempPath(L"saved.other");
    EXPECT_FALSE(format.SaveToFile(Entry(format, SAVE_FORMAT_HTML, other), storage.OpenStream(L"s").Get()));
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(OurTempFiles(), before);
}

// DIBs whose headers lie: kept byte for byte, never drawn from, described
// without reading outside the block.
TEST(BitmapFormat, InvalidBitmapDoesNotCrash) {
    std::vector<std::pair<const char*, Bytes>> lies;
    auto lie = [&](const char* what, std::function<void(BITMAPINFOHEADER&)> change, size_t keep = 0) {
        DibRecipe recipe;
        recipe.width = 16;
        recipe.height = 16;
        Bytes dib = MakeDib(recipe);
        BITMAPINFOHEADER head;
        std::memcpy(&head, dib.data(), sizeof(head));
        change(head);
        std::memcpy(dib.data(), &head, sizeof(head));
        if (keep) dib.resize(keep);
        lies.emplace_back(what, dib);
    };
    lie("core-sized header", [](BITMAPINFOHEADER& h) { h.biSize = 12; });
    lie("header of 39 bytes", [](BITMAPINFOHEADER& h) { h.biSize = 39; });
    lie("header beyond the block", [](BITMAPINFOHEADER& h) { h.biSize = 4000; });
    lie("negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -16; });
    lie("zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; });
    lie("most negative height", [](BITMAPINFOHEADER& h) { h.biHeight = LONG_MIN; });
    lie("huge sides", [](BITMAPINFOHEADER& h) { h.biWidth = h.biHeight = 0x7FFFFFFF; });
    lie("overflowing product", [](BITMAPINFOHEADER& h) { h.biWidth = h.biHeight = 65536; h.biBitCount = 32; });
    lie("huge top-down", [](BITMAPINFOHEADER& h) { h.biWidth = 100000; h.biHeight = -100000; });
    lie("bit depth 7", [](BITMAPINFOHEADER& h) { h.biBitCount = 7; });
    lie("bit depth 0", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; });
    lie("compression 9", [](BITMAPINFOHEADER& h) { h.biCompression = 9; });
    lie("run-length without data", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; h.biCompression = BI_RLE8; h.biSizeImage = 100000; });
    lie("colour table beyond the block", [](BITMAPINFOHEADER& h) { h.biClrUsed = 0xFFFFFFFF; });
    lie("palette bigger than the depth", [](BITMAPINFOHEADER& h) { h.biBitCount = 1; h.biClrUsed = 300; });
    lie("pixels cut short", [](BITMAPINFOHEADER&) {}, 40 + 16 * 48 / 2);
    lie("block shorter than the header", [](BITMAPINFOHEADER&) {}, 20);
    lie("block of the header only", [](BITMAPINFOHEADER&) {}, 40);
    lie("single byte", [](BITMAPINFOHEADER&) {}, 1);

    TestStorage storage;
    const std::wstring bmp = TempPath(L"lie.bmp"), jpeg = TempPath(L"lie.jpg");
    int index = 0;
    for (const auto& [what, dib] : lies) {
        SCOPED_TRACE(what);
        const std::wstring name = L"l" + std::to_wstring(index++);
        CBitmapFormat format;
        ASSERT_TRUE(CaptureDib(dib, storage, name.c_str(), format));
        const Stored stored = Parse(storage.StreamBytes(name.c_str()));
        EXPECT_EQ(stored.width, 0);
        EXPECT_EQ(stored.height, 0);
        EXPECT_EQ(stored.dib, dib);
        EXPECT_EQ(Digest(format), Md5(dib));
        std::wstring tip;
        format.AppendDescription(tip);
        EXPECT_NE(tip.find(L"Dimensions:"), std::wstring::npos);

        CBitmapFormat reloaded;
        ASSERT_TRUE(reloaded.LoadFromStream(storage.OpenStream(name.c_str()).Get()));
        CDibCanvas canvas(10, 10, PixelOf(RGB(9, 9, 9)));
        const RECT box = {0, 0, 10, 10};
        reloaded.DrawPreview(canvas.dc(), &box, NO_GLOW);
        EXPECT_EQ(canvas.CountOther(RGB(9, 9, 9)), 0);
        std::wstring reloadedTip;
        reloaded.AppendDescription(reloadedTip);
        EXPECT_EQ(reloadedTip, tip);

        Bytes onClipboard;
        EXPECT_TRUE(Restore(reloaded, storage.OpenStream(name.c_str()).Get(), nullptr, CF_DIB, &onClipboard));
        EXPECT_EQ(onClipboard, dib);

        EXPECT_TRUE(reloaded.SaveToFile(Entry(reloaded, SAVE_FORMAT_BITMAP, bmp), storage.OpenStream(name.c_str()).Get()));
        EXPECT_EQ(ReadFileBytes(bmp).size(), dib.size() + 14);
        EXPECT_LE(ReadU32(ReadFileBytes(bmp), 10), dib.size() + 14);
        EXPECT_FALSE(reloaded.SaveToFile(Entry(reloaded, SAVE_FORMAT_JPEG, jpeg), storage.OpenStream(name.c_str()).Get()));
        EXPECT_FALSE(FileExists(jpeg));
    }
    DeleteFileW(bmp.c_str());
}

TEST(BitmapFormat, DamagedStreamsAreRefused) {
    DibRecipe recipe;
    recipe.width = 4;
    recipe.height = 4;
    TestStorage storage;
    CBitmapFormat format;
    ASSERT_TRUE(CaptureDib(MakeDib(recipe), storage, L"s", format));
    const Bytes good = storage.StreamBytes(L"s");
    const size_t sizeField = 24 + 4 * 4 * 4;
    ASSERT_EQ(ReadU32(good, sizeField), MakeDib(recipe).size());
    const std::wstring file = TempPath(L"damaged.bmp");
    int index = 0;
    for (const Bytes& damaged : DamagedCopies(good, {16, 20, sizeField}, sizeField)) {
        SCOPED_TRACE(testing::Message() << "copy " << index << ", " << damaged.size() << " bytes");
        const std::wstring name = L"d" + std::to_wstring(index++);
        storage.StreamWith(name.c_str(), damaged);
        CBitmapFormat loaded;
        EXPECT_FALSE(loaded.LoadFromStream(storage.OpenStream(name.c_str()).Get()));
        EXPECT_EQ(loaded.GetThumbnail(), nullptr);
        std::vector<UINT> formats;
        EXPECT_FALSE(Restore(loaded, storage.OpenStream(name.c_str()).Get(), &formats, 0, nullptr));
        EXPECT_TRUE(formats.empty());
        EXPECT_FALSE(loaded.SaveToFile(Entry(loaded, SAVE_FORMAT_BITMAP, file), storage.OpenStream(name.c_str()).Get()));
        EXPECT_FALSE(FileExists(file));
        FORMATETC asked = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        EXPECT_TRUE(FAILED(loaded.GetData(&asked, &medium, storage.OpenStream(name.c_str()).Get())));
        EXPECT_EQ(medium.hGlobal, nullptr);
    }
}

TEST(BitmapFormat, NoPictureNoCaptureAndUnwritableStream) {
    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_UNICODETEXT), Utf16(L"not a picture"), 0}}));
    TestStorage storage;
    CBitmapFormat format;
    EXPECT_FALSE(Capture(format, storage, L"s"));
    EXPECT_TRUE(storage.StreamBytes(L"s").empty());

    DibRecipe recipe;
    ASSERT_TRUE(PeerPuts({{FormatNumber(CF_DIB), MakeDib(recipe), 0}}));
    storage.StreamWith(L"ro", Bytes{});
    CTestClipboard clipboard;
    ASSERT_TRUE(clipboard.IsOpen());
    EXPECT_FALSE(format.CaptureToStream(storage.OpenStream(L"ro").Get()));
}
