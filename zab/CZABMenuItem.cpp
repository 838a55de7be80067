#include "zab/CZABMenuItem.h"

#include "zab/CZABEngine.h"

CZABMenuItem::CZABMenuItem(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuItem::~CZABMenuItem() = default;

BOOL CZABMenuItem::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menuitem", type, out);
}

BOOL CZABMenuItem::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = CZABEngine::GetAttrString(node, L"label");
    return TRUE;
}

const WCHAR* CZABMenuItem::GetLabel() const {
    return m_label.get();
}
