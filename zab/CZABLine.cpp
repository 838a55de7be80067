#include "zab/CZABLine.h"

#include "zab/CZABEngine.h"

CZABLine::CZABLine(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABLine::~CZABLine() = default;

BOOL CZABLine::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"line", type, out);
}

BOOL CZABLine::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_type = CZABEngine::GetAttrEnum(node, L"type", {L"EtchedHorz", L"EtchedVert"}, 0);
    return TRUE;
}
