// A window-less group of radio buttons with one value: the "value" of the
// radio that is checked.
#pragma once
#include <windows.h>
#include "zab/CZABElement.h"

class CZABRadio;

class CZABRadioGroup : public CZABElement {
public:
    CZABRadioGroup(CZABElement* parent, CZABEngine* engine);
    ~CZABRadioGroup() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    // Its own spacing; a radio as first child starts the tab group.
    BOOL Create() override;
    // Checks the radios whose "value" is `value` and unchecks the others.
    void SetValue(int value) override;
    // The "value" of the first checked radio, 0 when none is checked.
    int GetValue() override;

private:
    CZABRadio* RadioAt(int index) const;
};
