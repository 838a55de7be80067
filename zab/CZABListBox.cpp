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
        SetMinimum(MapX(m_width ? m_width : 48), MapY(m_height ? m_height : 40));
    }
    return CZABElement::Create();
}
