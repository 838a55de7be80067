#include "zab/CZABCheckbox.h"

#include "zab/CZABEngine.h"

CZABCheckbox::CZABCheckbox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABCheckbox::~CZABCheckbox() = default;

BOOL CZABCheckbox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkbox", type, out);
}

BOOL CZABCheckbox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_checked = CZABEngine::GetAttrBool(node, L"checked", FALSE);
    return TRUE;
}
