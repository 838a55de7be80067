#include "zab/CZABListItem.h"

#include "zab/CZABEngine.h"

CZABListItem::CZABListItem(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABListItem::~CZABListItem() = default;

BOOL CZABListItem::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"listitem", type, out);
}

BOOL CZABListItem::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_value = CZABEngine::GetAttrInt(node, L"value", 0);
    return TRUE;
}
