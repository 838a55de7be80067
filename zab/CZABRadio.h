// A radio button; its "value" is what its radio group reports.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABRadio : public CZABElement {
public:
    CZABRadio(CZABElement* parent, CZABEngine* engine);
    ~CZABRadio() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // The check state; 0 before the control exists.
    void SetValue(int value) override;
    int GetValue() override;

    // The radio group makes its first radio the start of a tab group.
    void SetGroupStart(BOOL start);
    // "value": what the radio group reports while this radio is checked.
    int GetChoice() const;

protected:
    ZABText m_label;       // "label", localised
    BOOL m_selected = FALSE;  // "selected"
    int m_value = 0;       // "value"
    BOOL m_groupStart = FALSE;
};
