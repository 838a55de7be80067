#include "zab/CZABList.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/CZABListCol.h"
#include "zab/ZABListView.h"
#include "zab/ZABMeasure.h"

CZABList::CZABList(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABList::~CZABList() = default;

BOOL CZABList::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"list", type, out);
}

BOOL CZABList::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_view = CZABEngine::GetAttrEnum(node, L"view", {L"icon", L"smallicon", L"list", L"report"}, 0);
    m_noColHeader = CZABEngine::GetAttrBool(node, L"NoColHeader", FALSE);
    m_autoArrange = CZABEngine::GetAttrBool(node, L"AutoArrange", FALSE);
    m_alwaysShowSelection = CZABEngine::GetAttrBool(node, L"AlwaysShowSelection", TRUE);
    m_editLabels = CZABEngine::GetAttrBool(node, L"EditLabels", FALSE);
    m_noSortHeader = CZABEngine::GetAttrBool(node, L"NoSortHeader", TRUE);
    m_noLabelWrap = CZABEngine::GetAttrBool(node, L"NoLabelWrap", TRUE);
    m_noScroll = CZABEngine::GetAttrBool(node, L"NoScroll", FALSE);
    m_singleSelection = CZABEngine::GetAttrBool(node, L"SingleSelection", TRUE);
    m_checkBoxes = CZABEngine::GetAttrBool(node, L"CheckBoxes", FALSE);
    m_fullRowSelect = CZABEngine::GetAttrBool(node, L"FullRowSelect", FALSE);
    m_gridLines = CZABEngine::GetAttrBool(node, L"GridLines", FALSE);
    m_headerDragDrop = CZABEngine::GetAttrBool(node, L"HeaderDragDrop", FALSE);
    m_labelTip = CZABEngine::GetAttrBool(node, L"LabelTip", FALSE);
    return TRUE;
}

BOOL CZABList::Create() {
    SetMinimumInUnits(48, 40);
    if (!CreateControl(WC_LISTVIEWW, L"", Style(), WS_EX_CLIENTEDGE)) return FALSE;
    const DWORD extended = ExtendedStyle();
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    for (int i = 0; i < GetChildCount(); ++i) {
        if (const auto* column = GetChildAs<CZABListCol>(i, L"listcol")) {
            ZABInsertColumn(m_window, i, column->GetCaption(), column->GetSize());
        }
    }
    return CZABElement::Create();
}

DWORD CZABList::Style() const {
    static const DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    const struct {
        BOOL on;
        DWORD style;
    } flags[] = {
        {m_noColHeader, LVS_NOCOLUMNHEADER}, {m_autoArrange, LVS_AUTOARRANGE},
        {m_alwaysShowSelection, LVS_SHOWSELALWAYS}, {m_editLabels, LVS_EDITLABELS},
        {m_noSortHeader, LVS_NOSORTHEADER},  {m_noLabelWrap, LVS_NOLABELWRAP},
        {m_noScroll, LVS_NOSCROLL},          {m_singleSelection, LVS_SINGLESEL},
    };
    DWORD style = WS_TABSTOP | kViews[m_view];
    for (const auto& f : flags) {
        if (f.on) style |= f.style;
    }
    return style;
}

DWORD CZABList::ExtendedStyle() const {
    return (m_checkBoxes ? LVS_EX_CHECKBOXES : 0) | (m_fullRowSelect ? LVS_EX_FULLROWSELECT : 0) |
           (m_gridLines ? LVS_EX_GRIDLINES : 0) | (m_headerDragDrop ? LVS_EX_HEADERDRAGDROP : 0) |
           (m_labelTip ? LVS_EX_LABELTIP : 0);
}

void CZABList::Layout(int x, int y, int cx, int cy) {
    CZABElement::Layout(x, y, cx, cy);
    ShareWidth();
}

// Columns without a flex weight keep their width; the others share what is
// left of the client width beside the vertical scroll bar.
void CZABList::ShareWidth() {
    long long fixed = 0;
    long long flex = 0;
    int index = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const auto* column = GetChildAs<CZABListCol>(i, L"listcol");
        if (!column) continue;
        if (column->GetFlex() > 0) {
            flex += column->GetFlex();
        } else {
            fixed += Send(LVM_GETCOLUMNWIDTH, index);
        }
        ++index;
    }
    if (!m_window || flex == 0) return;
    RECT client = {};
    ::GetClientRect(m_window, &client);
    const long long spare = std::max<long long>(
        0, client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL) - fixed);
    index = 0;
    for (int i = 0; i < GetChildCount(); ++i) {
        const auto* column = GetChildAs<CZABListCol>(i, L"listcol");
        if (!column) continue;
        if (column->GetFlex() > 0) {
            Send(LVM_SETCOLUMNWIDTH, index, static_cast<int>(spare * column->GetFlex() / flex));
        }
        ++index;
    }
}
