// A drop-down list, or with "editable" a combo box with an edit field.
// Its "listitem" children are its items, each with its "value" as data.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABComboBox : public CZABElement {
public:
    CZABComboBox(CZABElement* parent, CZABEngine* engine);
    ~CZABComboBox() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // The height a combo box is given includes its drop-down list: the cell's
    // height is only that of its field.
    void Layout(int x, int y, int cx, int cy) override;
    // Selects the first item whose data is `value`; no change when none is.
    void SetValue(int value) override;
    // The data of the selected item, 0 when nothing is selected.
    int GetValue() override;
    // The edit text of an editable combo box; others have none.
    void SetText(const WCHAR* text) override;
    const WCHAR* GetText() override;

    // One more item after the control exists.
    void AddItem(int value, const WCHAR* text);

protected:
    BOOL m_editable = FALSE;  // "editable"
    BOOL m_sorted = FALSE;  // "sorted"
    int m_size = 10;       // "size"
    ZABText m_current;     // the text GetText last read
};
