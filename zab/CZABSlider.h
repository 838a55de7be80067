// A trackbar, made with its range, tick frequency and position.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABSlider : public CZABElement {
public:
    CZABSlider(CZABElement* parent, CZABEngine* engine);
    ~CZABSlider() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Measures its minimum size on the dialog it is made in.
    BOOL Create() override;
    // The position; setting it redraws the control.
    void SetValue(int value) override;
    int GetValue() override;

protected:
    int m_type = 0;        // "type": "horizontal", "vertical"
    BOOL m_autoTics = FALSE;  // "autoTics"
    BOOL m_noTics = FALSE;  // "noTics"
    int m_minValue = 0;    // "minValue"
    int m_maxValue = 100;  // "maxValue"
    int m_pos = 100;       // "pos"
    int m_ticFreq = 0;     // "ticFreq"
};
