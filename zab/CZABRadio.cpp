#include "zab/CZABRadio.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABRadio::CZABRadio(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABRadio::~CZABRadio() = default;

BOOL CZABRadio::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"radio", type, out);
}

BOOL CZABRadio::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_selected = CZABEngine::GetAttrBool(node, L"selected", FALSE);
    m_value = CZABEngine::GetAttrInt(node, L"value", 0);
    return TRUE;
}

BOOL CZABRadio::Create() {
    const SIZE text = ZABMeasureText(m_label.get());
    SetMinimum(MapY(10) + MapX(1) + text.cx, MapY(10));
    CreateControl(L"BUTTON", m_label.get(),
                  WS_TABSTOP | BS_AUTORADIOBUTTON | (m_groupStart ? WS_GROUP : 0));
    SetValue(m_selected);
    return CZABElement::Create();
}

void CZABRadio::SetValue(int value) {
    Send(BM_SETCHECK, value);
}

int CZABRadio::GetValue() {
    return static_cast<int>(Send(BM_GETCHECK));
}

void CZABRadio::SetGroupStart(BOOL start) {
    m_groupStart = start;
}

int CZABRadio::GetChoice() const {
    return m_value;
}
