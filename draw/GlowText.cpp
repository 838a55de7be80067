#include "draw/GlowText.h"
#include <gdiplus.h>
#include <cstring>
#include <mutex>
#include "base/Module.h"
#include "base/Unique.h"
#include "draw/StackBlur.h"

namespace gp = Gdiplus::DllExports;

namespace {

using unique_htheme = mx::unique_any<mx::api_traits<HTHEME, HRESULT, ::CloseThemeData>>;
using unique_gp_graphics =
    mx::unique_any<mx::api_traits<Gdiplus::GpGraphics*, Gdiplus::GpStatus, gp::GdipDeleteGraphics>>;
using unique_gp_pen =
    mx::unique_any<mx::api_traits<Gdiplus::GpPen*, Gdiplus::GpStatus, gp::GdipDeletePen>>;

static_assert(sizeof(DTTOPTS) == 72, "DTTOPTS must have the system's layout");

const COLORREF kDcColour = static_cast<COLORREF>(-1);

// Restores the dc's text colour and background mode when it goes.
class TextStyle {
public:
    TextStyle(HDC dc, COLORREF colour)
        : m_dc(dc), m_colour(::SetTextColor(dc, colour)), m_mode(::SetBkMode(dc, TRANSPARENT)) {}
    TextStyle(const TextStyle&) = delete;
    TextStyle& operator=(const TextStyle&) = delete;
    ~TextStyle() {
        ::SetBkMode(m_dc, m_mode);
        ::SetTextColor(m_dc, m_colour);
    }

private:
    HDC m_dc;
    COLORREF m_colour;
    int m_mode;
};

int DrawWithGdi(HDC dc, const WCHAR* text, int length, RECT* rect, UINT format, HFONT font,
                COLORREF colour) {
    TextStyle style(dc, colour == kDcColour ? ::GetTextColor(dc) : colour);
    mx::unique_select_object selected(dc, font);
    return ::DrawTextW(dc, text, length, rect, format);
}

// The themed text itself, without glow; DrawTextW when the themed call is
// missing or fails.
int DrawTextBody(GlowText::DrawThemeTextExProc draw, HDC dc, const WCHAR* text, int length,
             RECT* rect, UINT format, HFONT font, COLORREF colour, int glowSize) {
    if (draw) {
        unique_htheme theme(::OpenThemeData(nullptr, L"Window"));
        DTTOPTS options = {};
        options.dwSize = sizeof(options);
        options.dwFlags = DTT_TEXTCOLOR | DTT_COMPOSITED | ((format & DT_CALCRECT) ? DTT_CALCRECT : 0);
        options.crText = colour;
        mx::unique_select_object selected(dc, font);
        RECT inner = *rect;
        ::InflateRect(&inner, -(glowSize / 2), -(glowSize / 2));
        if (draw(theme.get(), dc, 0, 0, text, length, format, &inner, &options) == S_OK) {
            if (format & DT_CALCRECT) {
                rect->right = rect->left + (inner.right - inner.left) + glowSize;
                rect->bottom = rect->top + (inner.bottom - inner.top) + glowSize;
            }
            return rect->bottom - rect->top;
        }
    }
    return DrawWithGdi(dc, text, length, rect, format, font, colour);
}

// Turns text drawn in white on black into glowColour with its coverage as
// alpha (premultiplied). Where the platform wrote no alpha at all (composited
// themed text under some systems, and all GDI text), coverage is taken from
// the colour channels instead.
void ColourCoverage(DWORD* pixels, size_t count, COLORREF glowColour) {
    bool hasAlpha = false;
    for (size_t i = 0; i < count && !hasAlpha; ++i) hasAlpha = (pixels[i] >> 24) != 0;
    DWORD red = GetRValue(glowColour), green = GetGValue(glowColour), blue = GetBValue(glowColour);
    for (size_t i = 0; i < count; ++i) {
        DWORD p = pixels[i];
        DWORD cover = hasAlpha ? p >> 24 : 0;
        for (int shift = 0; shift < 24 && !hasAlpha; shift += 8)
            if (((p >> shift) & 0xFF) > cover) cover = (p >> shift) & 0xFF;
        pixels[i] = cover << 24 | (red * cover / 255) << 16 | (green * cover / 255) << 8 |
                    (blue * cover / 255);
    }
}

DWORD Brighten(DWORD channel, DWORD glowChannel, DWORD alpha) {
    DWORD sum = channel + glowChannel;
    return (sum > 255 ? 255 : sum) * alpha / 255;
}

// Thickens the blurred layer and brightens it towards glowColour, keeping it
// premultiplied.
void ShapeGlow(DWORD* pixels, size_t count, COLORREF glowColour) {
    DWORD red = GetRValue(glowColour), green = GetGValue(glowColour), blue = GetBValue(glowColour);
    for (size_t i = 0; i < count; ++i) {
        DWORD p = pixels[i];
        DWORD alpha = 3 * (p >> 24);
        if (alpha > 255) alpha = 255;
        pixels[i] = alpha << 24 | Brighten((p >> 16) & 0xFF, red, alpha) << 16 |
                    Brighten((p >> 8) & 0xFF, green, alpha) << 8 | Brighten(p & 0xFF, blue, alpha);
    }
}

void DrawGlowLayer(GlowText::DrawThemeTextExProc draw, HDC dc, const WCHAR* text, int length,
                   const RECT& rect, UINT format, HFONT font, COLORREF glowColour, int glowSize) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    mx::unique_hdc layerDc(::CreateCompatibleDC(dc));
    mx::unique_hbitmap layer(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!layerDc || !layer || !bits) return;
    size_t count = size_t(width) * size_t(height);
    DWORD* pixels = static_cast<DWORD*>(bits);
    std::memset(pixels, 0, count * sizeof(DWORD));
    {
        mx::unique_select_object selected(layerDc.get(), layer.get());
        HFONT layerFont = font ? font : static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT));
        RECT area = {0, 0, width, height};
        DrawTextBody(draw, layerDc.get(), text, length, &area, format, layerFont, RGB(255, 255, 255),
                 glowSize);
        ::GdiFlush();
        ColourCoverage(pixels, count, glowColour);
        StackBlur(static_cast<BYTE*>(bits), width, height, width * 4, glowSize);
        ShapeGlow(pixels, count, glowColour);
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::AlphaBlend(dc, rect.left, rect.top, width, height, layerDc.get(), 0, 0, width, height, blend);
    }
}

// GDI+ runs from the first drawing that needs it until the library is about
// to go; it may then start again if the library stays after all.
std::mutex g_gdiPlusGuard;
ULONG_PTR g_gdiPlusToken = 0;

bool StartGdiPlus() {
    std::lock_guard<std::mutex> hold(g_gdiPlusGuard);
    if (!g_gdiPlusToken) {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) g_gdiPlusToken = token;
    }
    return g_gdiPlusToken != 0;
}

}  // namespace

namespace GlowText {

DrawThemeTextExProc FindDrawThemeTextEx() {
    HMODULE uxtheme = ::GetModuleHandleW(L"uxtheme.dll");
    if (!uxtheme) return nullptr;
    return reinterpret_cast<DrawThemeTextExProc>(
        reinterpret_cast<void*>(::GetProcAddress(uxtheme, "DrawThemeTextEx")));
}

int DrawClassic(HDC dc, const WCHAR* text, int length, RECT* rect, UINT format, HFONT font,
                COLORREF textColour) {
    if (!dc || !text || !rect) return 0;
    if (length < 0) length = static_cast<int>(::wcslen(text));
    return DrawWithGdi(dc, text, length, rect, format, font, textColour);
}

int DrawThemed(DrawThemeTextExProc draw, HDC dc, const WCHAR* text, int length, RECT* rect,
               UINT format, HFONT font, COLORREF textColour, BOOL glow, COLORREF glowColour,
               int glowSize) {
    if (!dc || !text || !rect) return 0;
    if (length < 0) length = static_cast<int>(::wcslen(text));
    if (glowSize < 0) glowSize = 0;
    COLORREF colour = textColour == kDcColour ? ::GetTextColor(dc) : textColour;
    if (glow && !(format & DT_CALCRECT))
        DrawGlowLayer(draw, dc, text, length, *rect, format, font, glowColour, glowSize);
    return DrawTextBody(draw, dc, text, length, rect, format, font, colour, glowSize);
}

bool DrawLineGdiPlus(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2) {
    if (!StartGdiPlus()) return false;
    unique_gp_graphics graphics;
    if (gp::GdipCreateFromHDC(dc, graphics.put()) != Gdiplus::Ok) return false;
    Gdiplus::ARGB argb = 0xFF000000u | DWORD(GetRValue(colour)) << 16 |
                         DWORD(GetGValue(colour)) << 8 | GetBValue(colour);
    unique_gp_pen pen;
    if (gp::GdipCreatePen1(argb, static_cast<Gdiplus::REAL>(width), Gdiplus::UnitPixel, pen.put()) !=
        Gdiplus::Ok)
        return false;
    return gp::GdipDrawLineI(graphics.get(), pen.get(), x1, y1, x2, y2) == Gdiplus::Ok;
}

void DrawLineGdi(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2) {
    mx::unique_hpen pen(::CreatePen(PS_SOLID, width, colour));
    if (!pen) return;
    mx::unique_select_object selected(dc, pen.get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

bool IsGdiPlusRunning() {
    std::lock_guard<std::mutex> hold(g_gdiPlusGuard);
    return g_gdiPlusToken != 0;
}

void StopGdiPlus() {
    std::lock_guard<std::mutex> hold(g_gdiPlusGuard);
    if (g_gdiPlusToken) Gdiplus::GdiplusShutdown(g_gdiPlusToken);
    g_gdiPlusToken = 0;
}

}  // namespace GlowText

int DrawGlowText(HDC dc, const WCHAR* text, int length, RECT* rect, UINT format, HFONT font,
                 COLORREF textColour, BOOL glow, COLORREF glowColour, int glowSize) {
    if (!IsVistaOrLater()) return GlowText::DrawClassic(dc, text, length, rect, format, font, textColour);
    return GlowText::DrawThemed(GlowText::FindDrawThemeTextEx(), dc, text, length, rect, format,
                                font, textColour, glow, glowColour, glowSize);
}

void DrawLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2) {
    if (!dc) return;
    if (IsVistaOrLater() && GlowText::DrawLineGdiPlus(dc, width, colour, x1, y1, x2, y2)) return;
    GlowText::DrawLineGdi(dc, width, colour, x1, y1, x2, y2);
}
