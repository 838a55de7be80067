#include "zab/CZABButton.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

namespace {
const int kAccept = 1;
const int kCancel = 2;
}  // namespace

CZABButton::CZABButton(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABButton::~CZABButton() = default;

BOOL CZABButton::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"button", type, out);
}

BOOL CZABButton::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_dlgType = CZABEngine::GetAttrEnum(node, L"dlgType", {L"button", L"accept", L"cancel", L"help", L"disclosure"}, 0);
    return TRUE;
}

BOOL CZABButton::Create() {
    // A "width" sets the button's width exactly; otherwise the text decides,
    // but never narrower than 50 dialog units.
    const SIZE text = ZABMeasureText(m_label.get());
    const int cx = m_width ? MapX(m_width) : std::max<int>(text.cx + 12, MapX(50));
    SetMinimum(cx, MapY(m_height ? m_height : 14));
    // The dialog turns ids 1 and 2 into accept and cancel.
    m_controlId = m_dlgType == kAccept ? IDOK : m_dlgType == kCancel ? IDCANCEL : 0;
    const DWORD kind = m_dlgType == kAccept ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    CreateControl(L"BUTTON", m_label.get(), WS_TABSTOP | kind);
    return CZABElement::Create();
}

BOOL CZABButton::OnCommand(int code, int id, HWND control) {
    if (code != BN_CLICKED) return FALSE;
    for (const auto& child : m_children) child->OnActivate(this);
    return FALSE;
}
