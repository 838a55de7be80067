// An up-down control, attached to its parent text box.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABSpin : public CZABElement {
public:
    CZABSpin(CZABElement* parent, CZABEngine* engine);
    ~CZABSpin() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // Snaps to the edge of its parent text box's edit control.
    void Layout(int x, int y, int cx, int cy) override;

protected:
    int m_buddyAlign = 1;   // "buddyalign": "left", "right"
    int m_lower = 0;        // "lower"
    int m_upper = 2147483647;  // "upper"
    int m_pos = 0;          // "pos"
};
