#include "zab/CZABColor.h"

#include "zab/CZABEngine.h"

CZABColor::CZABColor(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABColor::~CZABColor() = default;

BOOL CZABColor::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"color", type, out);
}

BOOL CZABColor::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_enableNone = CZABEngine::GetAttrBool(node, L"enableNone", FALSE);
    return TRUE;
}
