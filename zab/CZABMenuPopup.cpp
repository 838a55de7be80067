#include "zab/CZABMenuPopup.h"

#include "zab/CZABEngine.h"

CZABMenuPopup::CZABMenuPopup(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABMenuPopup::~CZABMenuPopup() = default;

BOOL CZABMenuPopup::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"menupopup", type, out);
}

BOOL CZABMenuPopup::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = CZABEngine::GetAttrString(node, L"label");
    return TRUE;
}
