// Empty space: no window, no measured minimum. It takes room through its
// flex weights, its "minwidth"/"minheight", or its row and column.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABSpacer : public CZABElement {
public:
    CZABSpacer(CZABElement* parent, CZABEngine* engine);
    ~CZABSpacer() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
