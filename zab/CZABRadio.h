// A radio button; its "value" is what its radio group reports.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABRadio : public CZABElement {
public:
    CZABRadio(CZABElement* parent, CZABEngine* engine);
    ~CZABRadio() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;

protected:
    ZABText m_label;       // "label", localised
    BOOL m_selected = FALSE;  // "selected"
    int m_value = 0;       // "value"
};
