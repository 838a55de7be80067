#include "ui/CMyEngine.h"

#include "image/CxImage.h"

CMyEngine::CMyEngine(HINSTANCE instance) : CZABEngine(instance) {}

CMyEngine::~CMyEngine() = default;

// Resource names match in any case, so "logo.png" finds "LOGO.PNG".
BOOL CMyEngine::DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) {
    if (!dc || !name) return FALSE;
    HMODULE module = GetInstance();
    HRSRC resource = ::FindResourceW(module, name, L"PNG");
    if (!resource) return FALSE;
    CxImage image(IMAGE_TYPE_PNG);
    if (!image.LoadFromResource(resource, IMAGE_TYPE_PNG, module) || !image.IsValid()) return FALSE;
    // Draw answers 0 when it had to fall back on opaque drawing; the
    // picture is on the DC either way.
    image.Draw(dc, x, y, cx, cy, nullptr, false);
    return TRUE;
}
