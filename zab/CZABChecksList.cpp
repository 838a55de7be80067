#include "zab/CZABChecksList.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/CZABListItem.h"
#include "zab/ZABListView.h"

CZABChecksList::CZABChecksList(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABChecksList::~CZABChecksList() = default;

BOOL CZABChecksList::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkslist", type, out);
}

BOOL CZABChecksList::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_visibleItems = CZABEngine::GetAttrInt(node, L"visibleItems", 10);
    return TRUE;
}

BOOL CZABChecksList::Create() {
    const DWORD style =
        WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER;
    if (!CreateControl(WC_LISTVIEWW, L"", style, WS_EX_CLIENTEDGE)) return FALSE;
    const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    ZABInsertColumn(m_window, 0, nullptr, 0);
    int rows = 0;
    CZABListItem::ForEachItem(*this, L"checkitem", [this, &rows](int at, int value, const WCHAR* label) {
        ZABInsertRow(m_window, at, label, value);
        ++rows;
    });
    Send(LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    if (rows > 0) {
        Measure(rows);
    } else {
        SetMinimumInUnits(48, 40);
    }
    return CZABElement::Create();
}

void CZABChecksList::Measure(int rows) {
    const int last = std::max(0, std::min(m_visibleItems, rows) - 1);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    Send(LVM_GETITEMRECT, last, reinterpret_cast<LPARAM>(&row));
    const int width = static_cast<int>(Send(LVM_GETCOLUMNWIDTH, 0));
    SetMinimum(width + ::GetSystemMetrics(SM_CXVSCROLL) + MapX(14),
               row.bottom + (row.bottom - row.top) / 2);
}
