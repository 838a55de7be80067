#include "zab/CZABListCol.h"

#include "zab/CZABEngine.h"

CZABListCol::CZABListCol(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABListCol::~CZABListCol() = default;

BOOL CZABListCol::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"listcol", type, out);
}

BOOL CZABListCol::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_caption = ReadLocText(node, L"caption");
    m_size = CZABEngine::GetAttrInt(node, L"size", 0);
    m_flex = CZABEngine::GetAttrInt(node, L"flex", 0);
    return TRUE;
}

const WCHAR* CZABListCol::GetCaption() const {
    return m_caption.get();
}

int CZABListCol::GetSize() const {
    return m_size;
}

int CZABListCol::GetFlex() const {
    return m_flex;
}
