// A tab control whose tabs show and hide its tab panels.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTabBox : public CZABElement {
public:
    CZABTabBox(CZABElement* parent, CZABEngine* engine);
    ~CZABTabBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;
};
