// A list of check boxes.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABChecksList : public CZABElement {
public:
    CZABChecksList(CZABElement* parent, CZABEngine* engine);
    ~CZABChecksList() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    int m_visibleItems = 10;  // "visibleItems"
};
