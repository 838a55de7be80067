#include "zab/ZABMenu.h"

#include "zab/CZABElement.h"
#include "zab/CZABMenuItem.h"
#include "zab/CZABMenuPopup.h"

namespace {

bool Insert(HMENU menu, int position, const WCHAR* label, HMENU submenu) {
    MENUITEMINFOW entry = {};
    entry.cbSize = sizeof(entry);
    entry.fMask = MIIM_ID | MIIM_STRING | (submenu ? MIIM_SUBMENU : 0);
    entry.wID = static_cast<UINT>(position + 1);
    entry.dwTypeData = const_cast<WCHAR*>(label ? label : L"");
    entry.hSubMenu = submenu;
    return ::InsertMenuItemW(menu, static_cast<UINT>(position), TRUE, &entry) != FALSE;
}

}  // namespace

void ZABFillMenu(HMENU menu, CZABElement& owner) {
    if (!menu) return;
    for (int i = 0; i < owner.GetChildCount(); ++i) {
        CZABElement* found = nullptr;
        if (const auto* item = owner.GetChildAs<CZABMenuItem>(i, L"menuitem")) {
            Insert(menu, i, item->GetLabel(), nullptr);
        } else if (owner.GetChild(i)->QueryElement(L"menuseparator", &found)) {
            ::InsertMenuW(menu, static_cast<UINT>(i), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        } else if (auto* popup = owner.GetChildAs<CZABMenuPopup>(i, L"menupopup")) {
            if (popup->GetMenu() && Insert(menu, i, popup->GetLabel(), popup->GetMenu())) {
                popup->ReleaseMenu();
            }
        }
    }
}
