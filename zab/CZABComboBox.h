// A drop-down list, or with "editable" a combo box with an edit field.
// The element reads its attributes; its control comes with the window
// classes of the standard and custom-drawn controls.
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

protected:
    BOOL m_editable = FALSE;  // "editable"
    BOOL m_sorted = FALSE;  // "sorted"
    int m_size = 10;       // "size"
};
