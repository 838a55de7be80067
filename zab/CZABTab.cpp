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
