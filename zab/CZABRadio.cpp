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
    return CZABElement::Create();
}
