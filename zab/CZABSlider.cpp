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
    SetMinimum(MapX(100), MapY(14));
    return CZABElement::Create();
}
