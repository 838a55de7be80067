#include "zab/CZABMenuPopup.h"

#include "zab/CZABEngine.h"
#include "zab/CZABMenuItem.h"

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

CZABMenuPopup::CZABMenuPopup(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuPopup::~CZABMenuPopup() = default;

BOOL CZABMenuPopup::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menupopup", type, out);
}

BOOL CZABMenuPopup::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = CZABEngine::GetAttrString(node, L"label");
    return TRUE;
}

BOOL CZABMenuPopup::Create() {
    m_menu.reset(::CreatePopupMenu());
    CZABElement::Create();
    FillMenu(m_menu.get(), *this);
    return m_menu ? TRUE : FALSE;
}

const WCHAR* CZABMenuPopup::GetLabel() const {
    return m_label.get();
}

HMENU CZABMenuPopup::GetMenu() const {
    return m_menu ? m_menu.get() : m_released;
}

void CZABMenuPopup::ReleaseMenu() {
    m_released = m_menu.release();
}

void CZABMenuPopup::FillMenu(HMENU menu, CZABElement& owner) {
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
