#include "zab/CZABTab.h"

#include "zab/CZABEngine.h"

CZABTab::CZABTab(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABTab::~CZABTab() = default;

BOOL CZABTab::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tab", type, out);
}

BOOL CZABTab::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_caption = ReadLocText(node, L"caption");
    m_icon = CZABEngine::GetAttrString(node, L"icon");
    m_selected = CZABEngine::GetAttrBool(node, L"selected", FALSE);
    m_hidden = m_selected ? FALSE : TRUE;
    return TRUE;
}

const WCHAR* CZABTab::GetLabel() const {
    return m_label.get();
}

const WCHAR* CZABTab::GetCaption() const {
    return m_caption.get();
}

const WCHAR* CZABTab::GetIcon() const {
    return m_icon.get();
}

BOOL CZABTab::IsSelected() const {
    return m_selected;
}

void CZABTab::Select(BOOL selected) {
    m_selected = selected ? TRUE : FALSE;
    if (m_selected) m_hot = FALSE;
    SetHidden(!m_selected);
}

BOOL CZABTab::IsHot() const {
    return m_hot;
}

void CZABTab::SetHot(BOOL hot) {
    m_hot = hot ? TRUE : FALSE;
}

const RECT& CZABTab::GetRect() const {
    return m_rect;
}

void CZABTab::SetRect(const RECT& rect) {
    m_rect = rect;
}
