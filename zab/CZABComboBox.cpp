#include "zab/CZABComboBox.h"

#include <algorithm>
#include <string>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"
#include "zab/CZABListItem.h"

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

BOOL CZABComboBox::Create() {
    const SIZE items = CZABListItem::MeasureLabels(*this);
    const int letters = std::max(0, std::min(m_size, 1000));
    const int cx = items.cx ? items.cx : ZABMeasureText(std::wstring(letters, L'W').c_str()).cx;
    SetMinimum(cx + 26, MapY(14));
    // Items keep the order they were added in only when "sorted" is set.
    const DWORD style = WS_TABSTOP | CBS_AUTOHSCROLL | (m_editable ? CBS_DROPDOWN : CBS_DROPDOWNLIST) |
                        (m_sorted ? 0 : CBS_SORT);
    if (!CreateControl(L"COMBOBOX", nullptr, style)) return FALSE;
    CZABListItem::ForEachItem(*this, L"listitem",
                              [this](int, int value, const WCHAR* label) { AddItem(value, label); });
    return CZABElement::Create();
}

void CZABComboBox::Layout(int x, int y, int cx, int cy) {
    const int kDroppedRows = 10;
    const int row = static_cast<int>(Send(CB_GETITEMHEIGHT));
    CZABElement::Layout(x, y, cx, cy + kDroppedRows * std::max(row, 1) + 2 * ::GetSystemMetrics(SM_CYBORDER));
}

void CZABComboBox::AddItem(int value, const WCHAR* text) {
    CZABListItem::AddToControl(m_window, CB_ADDSTRING, CB_SETITEMDATA, value, text);
}

void CZABComboBox::SetValue(int value) {
    const int index = CZABListItem::FindInControl(m_window, CB_GETCOUNT, CB_GETITEMDATA, value);
    if (index >= 0) Send(CB_SETCURSEL, index);
}

int CZABComboBox::GetValue() {
    const LRESULT index = Send(CB_GETCURSEL);
    return index >= 0 ? static_cast<int>(Send(CB_GETITEMDATA, index)) : 0;
}

void CZABComboBox::SetText(const WCHAR* text) {
    if (m_editable && m_window) ::SetWindowTextW(m_window, text ? text : L"");
}

const WCHAR* CZABComboBox::GetText() {
    m_current = m_editable ? ZABWindowText(m_window) : nullptr;
    return m_current.get();
}
