// A list of tabs beside a caption bar and the selected tab's page.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABTabSwitcher : public CZABElement {
public:
    CZABTabSwitcher(CZABElement* parent, CZABEngine* engine);
    ~CZABTabSwitcher() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Its children are siblings of its control.
    HWND GetHostWindow() override;

protected:
    int m_imageAlign = 0;   // "imageAlign": "left", "top"
    int m_imageSize = 16;   // "imageSize"
};
