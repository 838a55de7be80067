// A list box.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABListBox : public CZABElement {
public:
    CZABListBox(CZABElement* parent, CZABEngine* engine);
    ~CZABListBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;

protected:
    int m_selection = 0;           // "selection": "single", "multiple", "extended", "none"
    BOOL m_sort = FALSE;           // "sort"
    BOOL m_noIntegralHeight = TRUE;  // "nointegralheight"
    BOOL m_multiColumn = FALSE;    // "multicolumn"
    int m_colWidth = 0;            // "colWidth"
};
