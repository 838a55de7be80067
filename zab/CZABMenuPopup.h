// A popup menu of a menu bar or of another popup.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABMenuPopup : public CZABElement {
public:
    CZABMenuPopup(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuPopup() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_label;       // "label"
};
