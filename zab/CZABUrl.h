// A link that opens its address or notifies the dialog.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABUrl : public CZABElement {
public:
    CZABUrl(CZABElement* parent, CZABEngine* engine);
    ~CZABUrl() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_text;        // "text", localised
    ZABText m_url;         // "url", localised
    int m_textAlign = 0;   // "textalign": "left", "right"
};
