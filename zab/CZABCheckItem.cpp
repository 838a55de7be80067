#include "zab/CZABCheckItem.h"

#include "zab/CZABEngine.h"

CZABCheckItem::CZABCheckItem(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABCheckItem::~CZABCheckItem() = default;

BOOL CZABCheckItem::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkitem", type, out);
}

BOOL CZABCheckItem::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_value = CZABEngine::GetAttrInt(node, L"value", 0);
    return TRUE;
}
