// Text previews with an optional glow behind them, and the rule under a menu
// entry's preview.
#pragma once
#include <windows.h>
#include <uxtheme.h>

// Draws (or with DT_CALCRECT in format, measures into rect) text with an optional glow.
// length -1: up to the terminator. font null: the dc's font. textColour -1:
// the dc's text colour. Answers the height of the text (for a themed drawing,
// of the rectangle), 0 when nothing could be drawn.
int DrawGlowText(HDC dc, const WCHAR* text, int length, RECT* rect, UINT format, HFONT font,
                 COLORREF textColour, BOOL glow, COLORREF glowColour, int glowSize);
void DrawLine(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2);

// The paths behind the two routines, callable directly so that each one can be
// checked on any system.
namespace GlowText {

using DrawThemeTextExProc = HRESULT(WINAPI*)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, LPRECT,
                                             const DTTOPTS*);

// DrawThemeTextEx of the uxtheme.dll already loaded, or null.
DrawThemeTextExProc FindDrawThemeTextEx();

// Plain DrawTextW: the path for systems before visual-styles text.
int DrawClassic(HDC dc, const WCHAR* text, int length, RECT* rect, UINT format, HFONT font,
                COLORREF textColour);
// Visual-styles text through `draw`, with the glow layer below it; falls back
// to DrawTextW when `draw` is null or fails.
int DrawThemed(DrawThemeTextExProc draw, HDC dc, const WCHAR* text, int length, RECT* rect,
               UINT format, HFONT font, COLORREF textColour, BOOL glow, COLORREF glowColour,
               int glowSize);

// False when GDI+ could not draw; nothing is drawn then.
bool DrawLineGdiPlus(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2);
void DrawLineGdi(HDC dc, int width, COLORREF colour, int x1, int y1, int x2, int y2);

// GDI+ starts with the first drawing that needs it. It must be stopped before
// the library unloads, and never from DllMain: its shutdown waits on work the
// loader lock would block.
bool IsGdiPlusRunning();
void StopGdiPlus();

}  // namespace GlowText
