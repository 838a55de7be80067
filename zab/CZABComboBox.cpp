#include "zab/CZABComboBox.h"

#include "zab/CZABEngine.h"

CZABComboBox::CZABComboBox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABComboBox::~CZABComboBox() = default;

BOOL CZABComboBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"combobox", type, out);
}

BOOL CZABComboBox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_editable = CZABEngine::GetAttrBool(node, L"editable", FALSE);
    m_sorted = CZABEngine::GetAttrBool(node, L"sorted", FALSE);
    m_size = CZABEngine::GetAttrInt(node, L"size", 10);
    return TRUE;
}
