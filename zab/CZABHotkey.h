// A field that shows and records a key combination.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABHotkey : public CZABElement {
public:
    CZABHotkey(CZABElement* parent, CZABEngine* engine);
    ~CZABHotkey() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
