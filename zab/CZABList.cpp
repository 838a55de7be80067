#include "zab/CZABList.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/CZABListCol.h"
#include "zab/ZABFlags.h"
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
    m_style = ZABReadFlags(node, {{L"NoColHeader", FALSE, LVS_NOCOLUMNHEADER},
                                  {L"AutoArrange", FALSE, LVS_AUTOARRANGE},
                                  {L"AlwaysShowSelection", TRUE, LVS_SHOWSELALWAYS},
                                  {L"EditLabels", FALSE, LVS_EDITLABELS},
                                  {L"NoSortHeader", TRUE, LVS_NOSORTHEADER},
                                  {L"NoLabelWrap", TRUE, LVS_NOLABELWRAP},
                                  {L"NoScroll", FALSE, LVS_NOSCROLL},
                                  {L"SingleSelection", TRUE, LVS_SINGLESEL},
                                  {L"OwnerData", FALSE, LVS_OWNERDATA}});
    m_extendedStyle = ZABReadFlags(node, {{L"CheckBoxes", FALSE, LVS_EX_CHECKBOXES},
                                          {L"FullRowSelect", FALSE, LVS_EX_FULLROWSELECT},
                                          {L"GridLines", FALSE, LVS_EX_GRIDLINES},
                                          {L"HeaderDragDrop", FALSE, LVS_EX_HEADERDRAGDROP},
                                          {L"LabelTip", FALSE, LVS_EX_LABELTIP}});
    return TRUE;
}

BOOL CZABList::Create() {
    SetMinimumInUnits(48, 40);
    static const DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    if (!CreateControl(WC_LISTVIEWW, L"", WS_TABSTOP | kViews[m_view] | m_style, WS_EX_CLIENTEDGE)) {
        return FALSE;
    }
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, m_extendedStyle, m_extendedStyle);
    for (int i = 0; i < GetChildCount(); ++i) {
        if (const auto* column = GetChildAs<CZABListCol>(i, L"listcol")) {
            ZABInsertColumn(m_window, i, column->GetCaption(), column->GetSize());
        }
    }
    return CZABElement::Create();
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
