// The plug-in's dialog engine: the library's "PNG" resources are the images
// that its dialog documents name.
#pragma once
#include <windows.h>
#include "zab/CZABEngine.h"

class CMyEngine : public CZABEngine {
public:
    explicit CMyEngine(HINSTANCE instance);
    ~CMyEngine() override;
    BOOL DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) override;
};
