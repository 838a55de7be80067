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
    DWORD m_style = 0;                // from the flag attributes
    DWORD m_extendedStyle = 0;        // from the flag attributes

private:
    void ShareWidth();
};
