// An area that the dialog paints: each WM_PAINT becomes a notification to
// the host window carrying the device context and the rectangles.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"
#include "zab/CZABWindowClass.h"

// The notification's record; its code is CZABFreeDraw::kPaintCode.
struct ZABFreeDrawPaint {
    NMHDR header;
    HDC dc;
    RECT client;
    RECT paint;
};

class CZABFreeDraw : public CZABElement {
public:
    static constexpr WCHAR kProperty[] = L"CZABFreeDrawThis";
    static constexpr UINT kPaintCode = 1;

    CZABFreeDraw(CZABElement* parent, CZABEngine* engine);
    ~CZABFreeDraw() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL Create() override;

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Notify(HDC dc, const RECT& area);

    CZABWindowClass m_class;
};
