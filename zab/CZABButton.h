// A push button; "accept" and "cancel" buttons end the dialog.
// A click activates its children: a "selectfile" inside opens the file dialog.
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
    // Activates the children on a click; never handled, so that the dialog
    // sees the click as well.
    BOOL OnCommand(int code, int id, HWND control) override;

protected:
    ZABText m_label;       // "label", localised
    int m_dlgType = 0;     // "dlgType": "button", "accept", "cancel", "help", "disclosure"
};
