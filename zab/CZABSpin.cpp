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
    return CZABElement::Create();
}
