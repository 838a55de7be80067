// A push button; "accept" and "cancel" buttons end the dialog.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABButton : public CZABElement {
public:
    CZABButton(CZABElement* parent, CZABEngine* engine);
    ~CZABButton() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;

protected:
    ZABText m_label;       // "label", localised
    int m_dlgType = 0;     // "dlgType": "button", "accept", "cancel", "help", "disclosure"
};
