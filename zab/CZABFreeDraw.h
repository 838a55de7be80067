// An area the dialog paints through its notifications.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABFreeDraw : public CZABElement {
public:
    CZABFreeDraw(CZABElement* parent, CZABEngine* engine);
    ~CZABFreeDraw() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
