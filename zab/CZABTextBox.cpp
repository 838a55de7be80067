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
    static const DWORD kAlign[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
    const DWORD style = WS_TABSTOP | kAlign[m_textAlign] |
                        (m_multiLine ? ES_MULTILINE : ES_AUTOHSCROLL) |
                        (m_readOnly ? ES_READONLY : 0) | (m_numberOnly ? ES_NUMBER : 0) |
                        (m_password ? ES_PASSWORD : 0);
    CreateControl(L"EDIT", m_value.get(), style, WS_EX_CLIENTEDGE);
    if (m_maxLength > 0) Send(EM_SETLIMITTEXT, m_maxLength);
    // A "spin" inside becomes the up-down control of this edit control.
    return CZABElement::Create();
}

void CZABTextBox::SetValue(int value) {
    SetText(std::to_wstring(value).c_str());
}

int CZABTextBox::GetValue() {
    const WCHAR* text = GetText();
    return text ? static_cast<int>(std::wcstol(text, nullptr, 10)) : 0;
}

void CZABTextBox::SetText(const WCHAR* text) {
    if (m_window) ::SetWindowTextW(m_window, text ? text : L"");
}

const WCHAR* CZABTextBox::GetText() {
    m_current = ZABWindowText(m_window);
    return m_current.get();
}

// The limit counts the characters the user may type; a text set from the
// program passes it, so a caller that must respect it asks first.
BOOL CZABTextBox::Fits(size_t length) {
    if (!m_window) return FALSE;
    return length <= static_cast<size_t>(Send(EM_GETLIMITTEXT)) ? TRUE : FALSE;
}
