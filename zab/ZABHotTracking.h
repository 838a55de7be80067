// Hot tracking of the links and the tab list: a short window timer asks
// whether the pointer has gone, since a child window gets no word of it.
#pragma once
#include <windows.h>

const UINT_PTR kHotTimer = 100;
const UINT kHotPeriod = 50;

// Whether the pointer is still within `window` and over it, or over a menu
// or a rich tooltip that it opened there.
bool ZABPointerStillOver(HWND window);
