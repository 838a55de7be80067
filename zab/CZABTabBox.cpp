#include "zab/CZABTabBox.h"

CZABTabBox::CZABTabBox(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABTabBox::~CZABTabBox() = default;

BOOL CZABTabBox::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tabbox", type, out);
}

HWND CZABTabBox::GetHostWindow() {
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}
