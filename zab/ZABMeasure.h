// Measuring for the layout: dialog units on a dialog window, and texts in
// the stock GUI font as an edit control would break them.
#pragma once
#include <windows.h>

// (x, y) dialog units in pixels on `window`, which should be a dialog or a
// tab panel. Any other window maps with the system's dialog base units.
POINT ZABMapDialogUnits(HWND window, int x, int y);

// Size of `text` drawn in the stock GUI font with the edit-control rules;
// none is measured as "W". With `wrapWidth` above 0 the text is broken at
// words within that width.
SIZE ZABMeasureText(const WCHAR* text, int wrapWidth = 0);

// The work area of the monitor nearest to `window`; the desktop's client
// area when there is no monitor to ask.
RECT ZABWorkAreaNear(HWND window);
