// One row of a checks list.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABCheckItem : public CZABElement {
public:
    CZABCheckItem(CZABElement* parent, CZABEngine* engine);
    ~CZABCheckItem() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_label;       // "label", localised
    int m_value = 0;       // "value"
};
