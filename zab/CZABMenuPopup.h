// A popup menu of a menu bar or of another popup.
#pragma once
#include <windows.h>
#include "base/Unique.h"
#include "zab/CZABElement.h"

class CZABMenuPopup : public CZABElement {
public:
    CZABMenuPopup(CZABElement* parent, CZABEngine* engine);
    ~CZABMenuPopup() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // Makes the menu, its children, then one entry per child.
    BOOL Create() override;

    const WCHAR* GetLabel() const;
    HMENU GetMenu() const;
    // The menu that took this one as its submenu destroys it from now on.
    void ReleaseMenu();

    // One entry per child of `owner` (a menu bar or a popup) at the child's
    // position: a "menuitem" as a string with the command id position + 1, a
    // "menuseparator" as a separator, a "menupopup" as a string with that id
    // and the popup's menu as its submenu, which `menu` then owns. Other
    // children get no entry.
    static void FillMenu(HMENU menu, CZABElement& owner);

protected:
    ZABText m_label;       // "label"
    mx::unique_hmenu m_menu;
    HMENU m_released = nullptr;
};
