#include "zab/CZABSpin.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABSpin::CZABSpin(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABSpin::~CZABSpin() = default;

BOOL CZABSpin::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"spin", type, out);
}

BOOL CZABSpin::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_buddyAlign = CZABEngine::GetAttrEnum(node, L"buddyalign", {L"left", L"right"}, 1);
    m_lower = CZABEngine::GetAttrInt(node, L"lower", 0);
    m_upper = CZABEngine::GetAttrInt(node, L"upper", 2147483647);
    m_pos = CZABEngine::GetAttrInt(node, L"pos", m_lower);
    return TRUE;
}

BOOL CZABSpin::Create() {
    SetMinimum(MapX(11), MapY(14));
    // The position goes into the edit control as plain digits: a thousands
    // separator would end the number that the text box reads back.
    const DWORD align = m_buddyAlign == 0 ? UDS_ALIGNLEFT : UDS_ALIGNRIGHT;
    if (!CreateControl(UPDOWN_CLASSW, nullptr,
                       UDS_ARROWKEYS | UDS_SETBUDDYINT | UDS_NOTHOUSANDS | align, 0, false)) {
        return FALSE;
    }
    Send(UDM_SETRANGE32, m_lower, m_upper);
    Send(UDM_SETPOS32, 0, m_pos);
    return TRUE;
}

void CZABSpin::Layout(int x, int y, int cx, int cy) {
    CZABElement::Layout(x, y, cx, cy);
    if (!m_window) return;
    Send(UDM_SETBUDDY);
    ::SetWindowPos(m_window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
    CZABElement* textBox = nullptr;
    if (m_parent && m_parent->QueryElement(L"textbox", &textBox)) {
        Send(UDM_SETBUDDY, reinterpret_cast<WPARAM>(textBox->GetWindow()));
    }
}
