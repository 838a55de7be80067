// A list of check boxes: a one-column report list view whose rows are its
// "checkitem" children, each with its "value" as data.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABChecksList : public CZABElement {
public:
    CZABChecksList(CZABElement* parent, CZABEngine* engine);
    ~CZABChecksList() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Makes the rows, then measures: the column's width beside a scroll bar,
    // "visibleItems" rows and half of one more.
    BOOL Create() override;

protected:
    int m_visibleItems = 10;  // "visibleItems"

private:
    void Measure(int rows);
};
