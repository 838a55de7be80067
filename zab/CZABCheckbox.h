// A check box.
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
    // The check state; 0 before the control exists.
    void SetValue(int value) override;
    int GetValue() override;

protected:
    ZABText m_label;       // "label", localised
    BOOL m_checked = FALSE;  // "checked"
};
