#include "zab/CZABTabSwitcher.h"

#include "zab/CZABEngine.h"

CZABTabSwitcher::CZABTabSwitcher(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABTabSwitcher::~CZABTabSwitcher() = default;

BOOL CZABTabSwitcher::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tabswitcher", type, out);
}

BOOL CZABTabSwitcher::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_imageAlign = CZABEngine::GetAttrEnum(node, L"imageAlign", {L"left", L"top"}, 0);
    m_imageSize = CZABEngine::GetAttrInt(node, L"imageSize", 16);
    return TRUE;
}

HWND CZABTabSwitcher::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}
