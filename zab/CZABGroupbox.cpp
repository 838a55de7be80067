#include "zab/CZABGroupbox.h"

#include "zab/CZABEngine.h"

CZABGroupbox::CZABGroupbox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABGroupbox::~CZABGroupbox() = default;

BOOL CZABGroupbox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"groupbox", type, out);
}

BOOL CZABGroupbox::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    return TRUE;
}

HWND CZABGroupbox::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}
