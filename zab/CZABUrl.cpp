#include "zab/CZABUrl.h"

#include "zab/CZABEngine.h"

CZABUrl::CZABUrl(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABUrl::~CZABUrl() = default;

BOOL CZABUrl::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"url", type, out);
}

BOOL CZABUrl::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_text = ReadLocText(node, L"text");
    m_url = ReadLocText(node, L"url");
    m_textAlign = CZABEngine::GetAttrEnum(node, L"textalign", {L"left", L"right"}, 0);
    return TRUE;
}
