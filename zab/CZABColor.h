// A colour button with its palette.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABColor : public CZABElement {
public:
    CZABColor(CZABElement* parent, CZABEngine* engine);
    ~CZABColor() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    BOOL m_enableNone = FALSE;  // "enableNone"
};
