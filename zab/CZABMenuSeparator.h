// A separator line in a menu.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABMenuSeparator : public CZABElement {
public:
    CZABMenuSeparator(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuSeparator() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
