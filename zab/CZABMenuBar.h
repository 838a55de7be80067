// The menu bar of its host window.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABMenuBar : public CZABElement {
public:
    CZABMenuBar(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuBar() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
