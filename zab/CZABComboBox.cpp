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
    return CZABElement::Create();
}
