#include "zab/CZABCheckbox.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABCheckbox::CZABCheckbox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABCheckbox::~CZABCheckbox() = default;

BOOL CZABCheckbox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"checkbox", type, out);
}

BOOL CZABCheckbox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_checked = CZABEngine::GetAttrBool(node, L"checked", FALSE);
    return TRUE;
}

BOOL CZABCheckbox::Create() {
    const SIZE text = ZABMeasureText(m_label.get());
    SetMinimum(MapY(10) + MapX(1) + text.cx, MapY(10));
    return CZABElement::Create();
}
