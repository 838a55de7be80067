#include "zab/CZABExt.h"

#include "zab/CZABEngine.h"

CZABExt::CZABExt(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABExt::~CZABExt() = default;

BOOL CZABExt::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"ext", type, out);
}

BOOL CZABExt::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_text = ReadLocText(node, L"text");
    m_extension = CZABEngine::GetAttrString(node, L"extension");
    return TRUE;
}

void CZABExt::SetFilter(const WCHAR* text, const WCHAR* extension) {
    m_text = ZABCopyText(text);
    m_extension = ZABCopyText(extension);
}

const WCHAR* CZABExt::GetFilterText() const {
    return m_text.get();
}

const WCHAR* CZABExt::GetExtension() const {
    return m_extension.get();
}
