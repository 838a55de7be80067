// A window-less group of radio buttons with one value.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABRadioGroup : public CZABElement {
public:
    CZABRadioGroup(CZABElement* parent, CZABEngine* engine);
    ~CZABRadioGroup() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
