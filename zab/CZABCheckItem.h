// One row of a checks list: a list item under another element name.
#pragma once
#include <windows.h>
#include "zab/CZABListItem.h"

class CZABCheckItem : public CZABListItem {
public:
    CZABCheckItem(CZABElement* parent, CZABEngine* engine);
    ~CZABCheckItem() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
};
