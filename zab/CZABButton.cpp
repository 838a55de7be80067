#include "zab/CZABButton.h"

#include "zab/CZABEngine.h"

CZABButton::CZABButton(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABButton::~CZABButton() = default;

BOOL CZABButton::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"button", type, out);
}

BOOL CZABButton::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_dlgType = CZABEngine::GetAttrEnum(node, L"dlgType", {L"button", L"accept", L"cancel", L"help", L"disclosure"}, 0);
    return TRUE;
}
