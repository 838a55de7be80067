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
    CreateControl(L"BUTTON", m_label.get(), WS_TABSTOP | BS_AUTOCHECKBOX);
    SetValue(m_checked);
    return CZABElement::Create();
}

void CZABCheckbox::SetValue(int value) {
    Send(BM_SETCHECK, value);
}

int CZABCheckbox::GetValue() {
    return static_cast<int>(Send(BM_GETCHECK));
}
