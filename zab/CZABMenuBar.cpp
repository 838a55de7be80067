#include "zab/CZABMenuBar.h"

#include "zab/CZABMenuPopup.h"

CZABMenuBar::CZABMenuBar(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuBar::~CZABMenuBar() = default;

BOOL CZABMenuBar::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menubar", type, out);
}

BOOL CZABMenuBar::Create() {
    m_menu.reset(::CreateMenu());
    CZABElement::Create();
    CZABMenuPopup::FillMenu(m_menu.get(), *this);
    HWND host = GetHostWindow();
    if (!m_menu || !host || !::SetMenu(host, m_menu.get())) return FALSE;
    m_menu.release();
    return TRUE;
}
