#include "zab/CZABSlider.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABSlider::CZABSlider(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABSlider::~CZABSlider() = default;

BOOL CZABSlider::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"slider", type, out);
}

BOOL CZABSlider::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_type = CZABEngine::GetAttrEnum(node, L"type", {L"horizontal", L"vertical"}, 0);
    m_autoTics = CZABEngine::GetAttrBool(node, L"autoTics", FALSE);
    m_noTics = CZABEngine::GetAttrBool(node, L"noTics", FALSE);
    m_minValue = CZABEngine::GetAttrInt(node, L"minValue", 0);
    m_maxValue = CZABEngine::GetAttrInt(node, L"maxValue", 100);
    m_pos = CZABEngine::GetAttrInt(node, L"pos", 100);
    m_ticFreq = CZABEngine::GetAttrInt(node, L"ticFreq", 0);
    return TRUE;
}

BOOL CZABSlider::Create() {
    // A vertical slider stands on its short side.
    if (m_type == 1) {
        SetMinimum(MapX(14), MapY(100));
    } else {
        SetMinimum(MapX(100), MapY(14));
    }
    const DWORD style = WS_TABSTOP | (m_autoTics ? TBS_AUTOTICKS : 0) |
                        (m_noTics ? TBS_NOTICKS : 0) | (m_type == 1 ? TBS_VERT : 0);
    if (!CreateControl(TRACKBAR_CLASSW, nullptr, style)) return FALSE;
    Send(TBM_SETRANGEMIN, FALSE, m_minValue);
    Send(TBM_SETRANGEMAX, FALSE, m_maxValue);
    if (m_ticFreq > 0) Send(TBM_SETTICFREQ, m_ticFreq);
    SetValue(m_pos);
    return CZABElement::Create();
}

void CZABSlider::SetValue(int value) {
    Send(TBM_SETPOS, TRUE, value);
}

int CZABSlider::GetValue() {
    return static_cast<int>(Send(TBM_GETPOS));
}
