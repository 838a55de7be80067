#include "zab/CZABLine.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABLine::CZABLine(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABLine::~CZABLine() = default;

BOOL CZABLine::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"line", type, out);
}

BOOL CZABLine::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_type = CZABEngine::GetAttrEnum(node, L"type", {L"EtchedHorz", L"EtchedVert"}, 0);
    return TRUE;
}

BOOL CZABLine::Create() {
    if (m_type == 1) {
        SetMinimum(MapX(2), MapY(m_height ? m_height : 14));
    } else {
        SetMinimum(MapX(m_width ? m_width : 14), MapY(2));
    }
    CreateControl(L"STATIC", L"", m_type == 1 ? SS_ETCHEDVERT : SS_ETCHEDHORZ, 0, false);
    return CZABElement::Create();
}
