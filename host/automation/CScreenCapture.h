// What the screen shows inside a window's frame, read back from the display.
#pragma once
#include <windows.h>
#include <vector>

class CScreenCapture {
public:
    // Opaque RGBA pixels, top row first, of the window's rectangle on screen.
    static HRESULT Window(HWND window, UINT& width, UINT& height, std::vector<BYTE>& rgba);
    // The same for a rectangle of the screen.
    static HRESULT Area(const RECT& area, UINT& width, UINT& height, std::vector<BYTE>& rgba);
};
