#include "zab/CZABBox.h"

CZABBox::CZABBox(CZABElement* parent, CZABEngine* engine, int forced)
    : CZABElement(parent, engine), m_forced(forced) {}

CZABBox::~CZABBox() = default;

BOOL CZABBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"box", type, out);
}

BOOL CZABBox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    if (m_forced != kAnyOrientation) m_orientation = m_forced;
    return TRUE;
}

int CZABBox::GetKind() {
    return 3;
}
