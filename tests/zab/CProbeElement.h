// A test element whose placement can be read back: it records the cell the
// layout gives it, reads its "label" as every localised text is read, and
// with window="true" creates a real child window, a framed static text
// showing its label, that the layout moves.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CProbeElement : public CZABElement {
public:
    CProbeElement(CZABElement* parent, CZABEngine* engine);
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    BOOL Create() override;
    void Layout(int x, int y, int cx, int cy) override;

    // Spacing and margins as a dialog sets them on itself.
    void SetGaps(int hSpacing, int vSpacing, RECT margins);
    const WCHAR* GetLabel() const;
    // The last cell given by Layout; empty before any layout.
    RECT GetCell() const;
    int GetLayoutCount() const;
    // Where the thread's stack was when the element was created, to measure
    // how deep the making of a document goes.
    uintptr_t GetStackAtCreate() const;

private:
    ZABText m_label;
    BOOL m_withWindow = FALSE;
    RECT m_cell = {};
    int m_layouts = 0;
    uintptr_t m_stack = 0;
};
