// A list view; its "listcol" children are its columns.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABList : public CZABElement {
public:
    CZABList(CZABElement* parent, CZABEngine* engine);
    ~CZABList() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // Shares the width among the columns when any of them has a flex weight.
    void Layout(int x, int y, int cx, int cy) override;

protected:
    int m_view = 0;                   // "view": "icon", "smallicon", "list", "report"
    BOOL m_noColHeader = FALSE;       // "NoColHeader"
    BOOL m_autoArrange = FALSE;       // "AutoArrange"
    BOOL m_alwaysShowSelection = TRUE;  // "AlwaysShowSelection"
    BOOL m_editLabels = FALSE;        // "EditLabels"
    BOOL m_noSortHeader = TRUE;       // "NoSortHeader"
    BOOL m_noLabelWrap = TRUE;        // "NoLabelWrap"
    BOOL m_noScroll = FALSE;          // "NoScroll"
    BOOL m_singleSelection = TRUE;    // "SingleSelection"
    BOOL m_checkBoxes = FALSE;        // "CheckBoxes"
    BOOL m_fullRowSelect = FALSE;     // "FullRowSelect"
    BOOL m_gridLines = FALSE;         // "GridLines"
    BOOL m_headerDragDrop = FALSE;    // "HeaderDragDrop"
    BOOL m_labelTip = FALSE;          // "LabelTip"

private:
    DWORD Style() const;
    DWORD ExtendedStyle() const;
    void ShareWidth();
};
