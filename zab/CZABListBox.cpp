#include "zab/CZABListBox.h"

#include "zab/CZABEngine.h"

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
