#include "zab/CZABListBox.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"
#include "zab/CZABListItem.h"

CZABListBox::CZABListBox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABListBox::~CZABListBox() = default;

BOOL CZABListBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"listbox", type, out);
}

BOOL CZABListBox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_selection = CZABEngine::GetAttrEnum(node, L"selection", {L"single", L"multiple", L"extended", L"none"}, 0);
    m_sort = CZABEngine::GetAttrBool(node, L"sort", FALSE);
    m_noIntegralHeight = CZABEngine::GetAttrBool(node, L"nointegralheight", TRUE);
    m_multiColumn = CZABEngine::GetAttrBool(node, L"multicolumn", FALSE);
    m_colWidth = CZABEngine::GetAttrInt(node, L"colWidth", 0);
    return TRUE;
}

BOOL CZABListBox::Create() {
    const SIZE items = CZABListItem::MeasureLabels(*this);
    if (items.cy) {
        SetMinimum(items.cx + 10, items.cy + 20);
    } else {
        SetMinimumInUnits(48, 40);
    }
    static const DWORD kSelection[] = {0, LBS_MULTIPLESEL, LBS_EXTENDEDSEL, LBS_NOSEL};
    const DWORD style = WS_TABSTOP | LBS_NOTIFY | kSelection[m_selection] |
                        (m_sort ? LBS_SORT : 0) | (m_noIntegralHeight ? LBS_NOINTEGRALHEIGHT : 0);
    if (!CreateControl(L"ListBox", nullptr, style, WS_EX_CLIENTEDGE)) return FALSE;
    CZABListItem::ForEachItem(*this, L"listitem", [this](int, int value, const WCHAR* label) {
        CZABListItem::AddToControl(m_window, LB_ADDSTRING, LB_SETITEMDATA, value, label);
    });
    return CZABElement::Create();
}

bool CZABListBox::SelectsSeveral() const {
    return m_selection == 1 || m_selection == 2;
}

void CZABListBox::SetValue(int value) {
    const int index = CZABListItem::FindInControl(m_window, LB_GETCOUNT, LB_GETITEMDATA, value);
    if (index < 0) return;
    if (SelectsSeveral()) {
        Send(LB_SETSEL, FALSE, -1);
        Send(LB_SETSEL, TRUE, index);
    } else {
        Send(LB_SETCURSEL, index);
    }
}

int CZABListBox::GetValue() {
    int index = LB_ERR;
    if (SelectsSeveral()) {
        if (Send(LB_GETSELITEMS, 1, reinterpret_cast<LPARAM>(&index)) != 1) index = LB_ERR;
    } else {
        index = m_window ? static_cast<int>(Send(LB_GETCURSEL)) : LB_ERR;
    }
    return index >= 0 ? static_cast<int>(Send(LB_GETITEMDATA, index)) : -1;
}
