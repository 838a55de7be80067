#include "zab/CZABTextBox.h"

#include "zab/CZABEngine.h"

CZABTextBox::CZABTextBox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABTextBox::~CZABTextBox() = default;

BOOL CZABTextBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"textbox", type, out);
}

BOOL CZABTextBox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_value = CZABEngine::GetAttrString(node, L"value");
    m_readOnly = CZABEngine::GetAttrBool(node, L"readonly", FALSE);
    m_multiLine = CZABEngine::GetAttrBool(node, L"multiline", FALSE);
    m_maxLength = CZABEngine::GetAttrInt(node, L"maxlength", 0);
    m_textRows = CZABEngine::GetAttrInt(node, L"textrows", 1);
    m_textCols = CZABEngine::GetAttrInt(node, L"textcols", 10);
    m_size = CZABEngine::GetAttrInt(node, L"size", 10);
    m_numberOnly = CZABEngine::GetAttrBool(node, L"numberonly", FALSE);
    m_password = CZABEngine::GetAttrBool(node, L"password", FALSE);
    m_textAlign = CZABEngine::GetAttrEnum(node, L"textalign", {L"left", L"right", L"center"}, 0);
    return TRUE;
}

HWND CZABTextBox::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}
