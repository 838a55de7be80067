#include <gtest/gtest.h>
#include <windows.h>
#include <vector>
#include "base/Unique.h"
#include "draw/GlowText.h"
#include "tests/support/CDibCanvas.h"

namespace {

const UINT kPreview = DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
const COLORREF kDcColour = static_cast<COLORREF>(-1);

int Red(DWORD p) { return (p >> 16) & 0xFF; }
int Green(DWORD p) { return (p >> 8) & 0xFF; }
int Blue(DWORD p) { return p & 0xFF; }
DWORD Rgb(DWORD p) { return p & 0xFFFFFF; }
DWORD FromColorref(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// The font of the previews, for the life of the test program.
HFONT PreviewFont() {
    static const HFONT font = ::CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                            NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
    return font;
}

// A canvas with the previews' font selected.
class Canvas : public mxtest::CDibCanvas {
public:
    Canvas(int width, int height, DWORD fill) : CDibCanvas(width, height, fill) { Select(PreviewFont()); }
    HFONT font() const { return PreviewFont(); }
    bool valid() const { return ok() && PreviewFont(); }
    // The smallest rectangle holding every pixel whose colour is not `background`.
    RECT Ink(DWORD background) const {
        RECT ink = {width(), height(), 0, 0};
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                if (Rgb(x, y) != ::Rgb(background)) {
                    if (x < ink.left) ink.left = x;
                    if (y < ink.top) ink.top = y;
                    if (x + 1 > ink.right) ink.right = x + 1;
                    if (y + 1 > ink.bottom) ink.bottom = y + 1;
                }
        return ink;
    }
};

RECT Measure(HDC dc, const WCHAR* text, BOOL glow, int glowSize, LONG left = 0, LONG top = 0) {
    RECT rect = {left, top, left + 250, top + 16};
    DrawGlowText(dc, text, -1, &rect, kPreview | DT_CALCRECT, nullptr, 0, glow, RGB(255, 255, 255),
                 glowSize);
    return rect;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

}  // namespace

TEST(GlowText, MeasuringWithGlowAddsTheGlowSizeEachWay) {
    Canvas canvas(10, 10, 0);
    ASSERT_TRUE(canvas.valid());
    const WCHAR* text = L"Copied text preview";
    RECT plain = Measure(canvas.dc(), text, FALSE, 0);
    RECT reference = {0, 0, 250, 16};
    ::DrawTextW(canvas.dc(), text, -1, &reference, kPreview | DT_CALCRECT);
    EXPECT_EQ(reference.right, plain.right);
    EXPECT_EQ(reference.bottom, plain.bottom);
    EXPECT_GT(plain.right, 20);

    RECT glowing = Measure(canvas.dc(), text, TRUE, 6, 10, 20);
    EXPECT_EQ(10, glowing.left);
    EXPECT_EQ(20, glowing.top);
    EXPECT_EQ(plain.right - plain.left + 6, glowing.right - glowing.left);
    EXPECT_EQ(plain.bottom - plain.top + 6, glowing.bottom - glowing.top);

    // Long text breaks into lines within the 250 pixels.
    RECT wrapped = Measure(canvas.dc(), L"one two three four five six seven eight nine ten eleven twelve "
                                        L"thirteen fourteen fifteen sixteen seventeen", FALSE, 0);
    EXPECT_LE(wrapped.right, 250);
    EXPECT_GT(wrapped.bottom, plain.bottom);
    // Measuring draws nothing.
    EXPECT_EQ(10, canvas.Ink(0).left);
}

TEST(GlowText, WithoutGlowOnlyTheTextChanges) {
    const DWORD background = 0xFF102030;
    Canvas canvas(120, 40, background);
    ASSERT_TRUE(canvas.valid());
    RECT area = {10, 5, 110, 35};
    EXPECT_NE(0, DrawGlowText(canvas.dc(), L"Hello", -1, &area, kPreview, nullptr, RGB(255, 0, 0),
                              FALSE, RGB(255, 255, 0), 0));
    RECT ink = canvas.Ink(background);
    ASSERT_LT(ink.left, ink.right);
    // The text itself, in its colour, inside the area; nothing else touched.
    EXPECT_GE(ink.left, area.left);
    EXPECT_GE(ink.top, area.top);
    EXPECT_LT(ink.right - ink.left, 60);
    int red = 0, other = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            DWORD p = Rgb(canvas.At(x, y));
            if (p == 0xFF0000) ++red;
            else if (p != Rgb(background) && (Green(p) > 0x20 || Blue(p) > 0x30)) ++other;
        }
    EXPECT_GT(red, 20);
    EXPECT_EQ(0, other);

    // -1 takes the dc's colour.
    Canvas second(120, 40, background);
    ::SetTextColor(second.dc(), RGB(0, 255, 0));
    DrawGlowText(second.dc(), L"Hello", 5, &area, kPreview, nullptr, kDcColour, FALSE, 0, 0);
    EXPECT_GT(second.Count([](DWORD p) { return Rgb(p) == 0x00FF00; }), 20);
    EXPECT_EQ(0, second.Count([](DWORD p) { return Red(p) > 0x10; }));
}

TEST(GlowText, GlowReachesBeyondTheTextInItsColourAndStaysLocal) {
    const DWORD black = 0xFF000000;
    RECT area = {0, 0, 160, 40};
    Canvas plain(160, 40, black), glowing(160, 40, black);
    ASSERT_TRUE(plain.valid() && glowing.valid());
    DrawGlowText(plain.dc(), L"Hello", -1, &area, kPreview, nullptr, RGB(255, 0, 0), FALSE, 0, 6);
    DrawGlowText(glowing.dc(), L"Hello", -1, &area, kPreview, nullptr, RGB(255, 0, 0), TRUE,
                 RGB(255, 255, 0), 6);
    RECT text = plain.Ink(black);
    ASSERT_LT(text.left, text.right);
    // Drawn inside the area shrunk by half the glow size.
    EXPECT_GE(text.left, 3);
    EXPECT_GE(text.top, 3);

    int beyond = 0, notYellow = 0, distantLit = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) {
            DWORD p = Rgb(glowing.At(x, y));
            if (Inside(text, x, y)) continue;
            if (p != 0) ++beyond;
            if (p != 0 && (Blue(p) != 0 || Red(p) == 0 || Green(p) == 0)) ++notYellow;
            bool distant = x >= text.right + 8 || y >= text.bottom + 8;
            if (distant && p != 0) ++distantLit;
        }
    EXPECT_GT(beyond, 50);
    EXPECT_EQ(0, notYellow);
    EXPECT_EQ(0, distantLit);
    // Right next to the first letter's stem the glow is strong.
    int y = (text.top + text.bottom) / 2;
    EXPECT_GT(Red(glowing.At(text.left - 1, y)), 40);
    // The text itself stays on top in its own colour.
    EXPECT_GT(glowing.Count([](DWORD p) { return Rgb(p) == 0xFF0000; }), 20);
}

TEST(GlowText, DarkGlowDarkensAndStaysInsideTheRectangle) {
    const DWORD white = 0xFFFFFFFF;
    Canvas canvas(160, 60, white);
    ASSERT_TRUE(canvas.valid());
    RECT area = {20, 10, 140, 50};
    DrawGlowText(canvas.dc(), L"Hello", -1, &area, kPreview, canvas.font(), RGB(0, 0, 255), TRUE,
                 RGB(0, 0, 0), 6);
    RECT ink = canvas.Ink(white);
    ASSERT_LT(ink.left, ink.right);
    EXPECT_GE(ink.left, area.left);
    EXPECT_GE(ink.top, area.top);
    EXPECT_LE(ink.right, area.right);
    EXPECT_LE(ink.bottom, area.bottom);
    // Grey halo: darker than white, no colour cast.
    int halo = canvas.Count([](DWORD p) {
        return Rgb(p) != 0xFFFFFF && Red(p) == Green(p) && Green(p) == Blue(p);
    });
    EXPECT_GT(halo, 50);
}

TEST(GlowText, WithoutTheThemedCallTextIsDrawnWithDrawText) {
    const DWORD black = 0xFF000000;
    RECT area = {0, 0, 160, 40};
    Canvas themed(160, 40, black), fallback(160, 40, black), reference(160, 40, black);
    ASSERT_NE(nullptr, GlowText::FindDrawThemeTextEx());
    GlowText::DrawThemed(nullptr, fallback.dc(), L"Hello", -1, &area, kPreview, nullptr,
                         RGB(0, 200, 255), FALSE, 0, 6);
    ::SetTextColor(reference.dc(), RGB(0, 200, 255));
    ::SetBkMode(reference.dc(), TRANSPARENT);
    RECT copy = area;
    ::DrawTextW(reference.dc(), L"Hello", -1, &copy, kPreview);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) ASSERT_EQ(Rgb(reference.At(x, y)), Rgb(fallback.At(x, y))) << x << "," << y;

    // With glow, the text lies over the glow layer.
    Canvas glowing(160, 40, black);
    GlowText::DrawThemed(nullptr, glowing.dc(), L"Hello", -1, &area, kPreview, nullptr,
                         RGB(0, 200, 255), TRUE, RGB(255, 0, 0), 6);
    int textPixels = 0, glowPixels = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) {
            DWORD r = Rgb(reference.At(x, y)), g = Rgb(glowing.At(x, y));
            if (r == 0x00C8FF) textPixels += g == r;
            else glowPixels += Red(g) > 0;
        }
    EXPECT_GT(textPixels, 20);
    EXPECT_GT(glowPixels, 50);

    // Measuring falls back too, to the text's own size.
    RECT measured = {0, 0, 250, 16}, expected = {0, 0, 250, 16};
    GlowText::DrawThemed(nullptr, themed.dc(), L"Hello", -1, &measured, kPreview | DT_CALCRECT,
                         nullptr, 0, TRUE, 0, 6);
    ::DrawTextW(themed.dc(), L"Hello", -1, &expected, kPreview | DT_CALCRECT);
    EXPECT_EQ(expected.right, measured.right);
    EXPECT_EQ(expected.bottom, measured.bottom);
}

TEST(GlowText, ClassicPathDrawsTransparentlyAndRestoresTheDc) {
    const DWORD background = 0xFF404040;
    Canvas canvas(120, 40, background);
    ASSERT_TRUE(canvas.valid());
    ::SetTextColor(canvas.dc(), RGB(1, 2, 3));
    ::SetBkMode(canvas.dc(), OPAQUE);
    ::SetBkColor(canvas.dc(), RGB(0, 255, 0));
    RECT area = {0, 0, 120, 40};
    EXPECT_GT(GlowText::DrawClassic(canvas.dc(), L"Hello", -1, &area, kPreview, nullptr,
                                    RGB(255, 255, 255)), 0);
    EXPECT_GT(canvas.Count([](DWORD p) { return Rgb(p) == 0xFFFFFF; }), 20);
    EXPECT_EQ(0, canvas.Count([](DWORD p) { return Rgb(p) == 0x00FF00; }));
    EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(canvas.dc()));
    EXPECT_EQ(OPAQUE, ::GetBkMode(canvas.dc()));
}

TEST(DrawLine, RuleIsOnePixelHighInItsColour) {
    const DWORD white = 0xFFFFFFFF;
    const COLORREF colour = RGB(200, 10, 30);
    struct Way {
        const char* name;
        void (*draw)(HDC, int, COLORREF, int, int, int, int);
    } ways[] = {
        {"DrawLine", DrawLine},
        {"GDI+", [](HDC dc, int w, COLORREF c, int x1, int y1, int x2, int y2) {
             EXPECT_TRUE(GlowText::DrawLineGdiPlus(dc, w, c, x1, y1, x2, y2));
         }},
        {"GDI", GlowText::DrawLineGdi},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Canvas canvas(80, 20, white);
        ASSERT_TRUE(canvas.valid());
        way.draw(canvas.dc(), 1, colour, 5, 10, 60, 10);
        RECT ink = canvas.Ink(white);
        EXPECT_EQ(10, ink.top);
        EXPECT_EQ(11, ink.bottom);
        EXPECT_LE(ink.left, 6);
        EXPECT_GE(ink.right, 59);
        EXPECT_LE(ink.right, 61);
        for (int x = 6; x < 59; ++x) ASSERT_EQ(FromColorref(colour), Rgb(canvas.At(x, 10))) << x;
    }

    // A wider pen gives a wider rule.
    Canvas wide(80, 20, white);
    DrawLine(wide.dc(), 3, colour, 5, 10, 60, 10);
    RECT ink = wide.Ink(white);
    EXPECT_EQ(9, ink.top);
    EXPECT_EQ(12, ink.bottom);
    EXPECT_EQ(FromColorref(colour), Rgb(wide.At(30, 9)));
    EXPECT_EQ(FromColorref(colour), Rgb(wide.At(30, 11)));
}

// GDI+ starts with the first drawing that needs it; stopped before the library
// goes, it starts again when the library stays and draws once more.
TEST(DrawLine, GdiPlusStartsWhenNeededAndAgainAfterAStop) {
    GlowText::StopGdiPlus();
    EXPECT_FALSE(GlowText::IsGdiPlusRunning());
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Canvas canvas(40, 20, 0xFFFFFFFF);
        ASSERT_TRUE(canvas.valid());
        EXPECT_TRUE(GlowText::DrawLineGdiPlus(canvas.dc(), 1, RGB(0, 0, 0), 5, 10, 30, 10));
        EXPECT_TRUE(GlowText::IsGdiPlusRunning());
        EXPECT_EQ(0u, Rgb(canvas.At(15, 10)));
        GlowText::StopGdiPlus();
        EXPECT_FALSE(GlowText::IsGdiPlusRunning());
    }
}
