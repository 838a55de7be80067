// One tab of a tab switcher; its children are its page.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTab : public CZABElement {
public:
    CZABTab(CZABElement* parent, CZABEngine* engine);
    ~CZABTab() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

protected:
    ZABText m_label;         // "label", localised
    ZABText m_caption;       // "caption", localised
    ZABText m_icon;          // "icon"
    BOOL m_selected = FALSE;  // "selected"
};
