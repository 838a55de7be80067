#include "zab/CZABMenuPopup.h"

#include "zab/CZABEngine.h"
#include "zab/ZABMenu.h"

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
    ZABFillMenu(m_menu.get(), *this);
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
