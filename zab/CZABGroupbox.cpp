#include "zab/CZABGroupbox.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

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

BOOL CZABGroupbox::Create() {
    const SIZE text = ZABMeasureText(m_label.get());
    SetMinimum(text.cx + 12, text.cy + 12);
    // Room for the frame and, above, its label.
    m_marginLeft = MapX(7);
    m_marginTop = MapY(11);
    m_marginRight = MapX(8);
    m_marginBottom = MapY(7);
    CZABElement::Create();
    // Made after its children, so below them: clipped by them, its painting
    // never covers them.
    CreateControl(L"BUTTON", m_label.get(), BS_GROUPBOX | WS_CLIPSIBLINGS);
    return TRUE;
}
