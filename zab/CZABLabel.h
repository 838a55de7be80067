// A static text.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABLabel : public CZABElement {
public:
    CZABLabel(CZABElement* parent, CZABEngine* engine);
    ~CZABLabel() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // The stored text, which the control shows once it exists.
    void SetText(const WCHAR* text) override;
    const WCHAR* GetText() override;

protected:
    ZABText m_value;       // "value", localised
    BOOL m_vCenter = TRUE;  // "vcenter"
    int m_textAlign = 0;   // "textalign": "left", "right", "center"
};
