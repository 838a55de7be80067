// The menu bar of its host window. Its entries' commands reach the dialog
// with the ids 1, 2, 3, ... by position and no control window.
#pragma once
#include <windows.h>
#include "base/Unique.h"
#include "zab/CZABElement.h"

class CZABMenuBar : public CZABElement {
public:
    CZABMenuBar(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuBar() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    // Makes the menu, its children and entries, and sets it on the host window.
    BOOL Create() override;

private:
    // Owned until the host window takes it; the window destroys it with itself.
    mx::unique_hmenu m_menu;
};
