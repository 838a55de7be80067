#include "zab/CZABTextBox.h"

#include <algorithm>
#include <string>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

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

BOOL CZABTextBox::Create() {
    // A sample text of letters "W": one line of "size" of them, or for a
    // multi-line box "textrows" lines of "textcols".
    const int lines = m_multiLine ? std::max(1, std::min(m_textRows, 1000)) : 1;
    const int letters = std::max(0, std::min(m_multiLine ? m_textCols : m_size, 1000));
    const SIZE sample = ZABMeasureText(std::wstring(letters, L'W').c_str());
    SetMinimum(sample.cx + 6, MapY(14) * lines);
    return CZABElement::Create();
}
