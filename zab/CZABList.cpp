#include "zab/CZABList.h"

#include <algorithm>
#include "zab/CZABEngine.h"
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
    SetMinimum(MapX(m_width ? m_width : 48), MapY(m_height ? m_height : 40));
    return CZABElement::Create();
}
