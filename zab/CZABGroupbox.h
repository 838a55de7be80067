// A labelled frame around its children, which are its siblings on screen.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABGroupbox : public CZABElement {
public:
    CZABGroupbox(CZABElement* parent, CZABEngine* engine);
    ~CZABGroupbox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Makes its children first, so that they come before the frame in the
    // tab order, then the frame; measures on the dialog it is made in.
    BOOL Create() override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;

protected:
    ZABText m_label;       // "label", localised
};
