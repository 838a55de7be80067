#include "zab/CZABChecksList.h"

#include "zab/CZABEngine.h"

CZABChecksList::CZABChecksList(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABChecksList::~CZABChecksList() = default;

BOOL CZABChecksList::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkslist", type, out);
}

BOOL CZABChecksList::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_visibleItems = CZABEngine::GetAttrInt(node, L"visibleItems", 10);
    return TRUE;
}
