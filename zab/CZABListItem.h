// An item of a combo box or list box.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABListItem : public CZABElement {
public:
    CZABListItem(CZABElement* parent, CZABEngine* engine);
    ~CZABListItem() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    // The widest label among the list items of `owner`, and their heights
    // added up; 0 x 0 when it holds none.
    static SIZE MeasureLabels(CZABElement& owner);

protected:
    ZABText m_label;       // "label", localised
    int m_value = 0;       // "value"
};
