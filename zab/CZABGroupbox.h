// A labelled frame around its children, which are its siblings on screen.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABGroupbox : public CZABElement {
public:
    CZABGroupbox(CZABElement* parent, CZABEngine* engine);
    ~CZABGroupbox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;

protected:
    ZABText m_label;       // "label", localised
};
