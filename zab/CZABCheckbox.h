// A check box.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABCheckbox : public CZABElement {
public:
    CZABCheckbox(CZABElement* parent, CZABEngine* engine);
    ~CZABCheckbox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;

protected:
    ZABText m_label;       // "label", localised
    BOOL m_checked = FALSE;  // "checked"
};
