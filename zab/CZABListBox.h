// A list box; its "listitem" children are its items, each with its "value"
// as data.
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
    // Selects the first item whose data is `value`; no change when none is.
    void SetValue(int value) override;
    // The data of the selected item (the first one where several can be
    // selected), -1 when nothing is selected.
    int GetValue() override;

protected:
    int m_selection = 0;           // "selection": "single", "multiple", "extended", "none"
    BOOL m_sort = FALSE;           // "sort"
    BOOL m_noIntegralHeight = TRUE;  // "nointegralheight"
    BOOL m_multiColumn = FALSE;    // "multicolumn"
    int m_colWidth = 0;            // "colWidth"

private:
    bool SelectsSeveral() const;
};
