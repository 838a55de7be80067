#include "zab/CZABTabPanel.h"

#include <uxtheme.h>
#include "zab/CZABEngine.h"

namespace {

// Child, visible, font given; its controls take part in the dialog's tabbing.
const DWORD kPanelStyle = 0x50000040;

}  // namespace

CZABTabPanel::CZABTabPanel(CZABElement* parent, CZABEngine* engine) : CZABDialog(parent, engine) {}

CZABTabPanel::~CZABTabPanel() = default;

BOOL CZABTabPanel::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"tabpanel", type, out);
}

BOOL CZABTabPanel::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = CZABEngine::GetAttrString(node, L"label");
    return TRUE;
}

BOOL CZABTabPanel::Create() {
    m_style = kPanelStyle;
    m_exStyle = WS_EX_CONTROLPARENT;
    if (!m_template && !BuildTemplate(m_left, m_top, m_width, m_height)) return FALSE;
    mx::unique_hglobal_locked locked(m_template.get());
    if (!locked) return FALSE;
    HWND parent = m_parent ? m_parent->GetHostWindow() : nullptr;
    HWND window = ::CreateDialogIndirectParamW(nullptr, static_cast<LPCDLGTEMPLATEW>(locked.get()),
                                               parent, ZABDialogProc,
                                               reinterpret_cast<LPARAM>(this));
    if (!window) return FALSE;
    ::EnableThemeDialogTexture(window, ETDT_ENABLE | ETDT_USETABTEXTURE);
    RECT margins = {7, 7, 7, 7};
    ::MapDialogRect(window, &margins);
    m_marginLeft = margins.left;
    m_marginTop = margins.top;
    m_marginRight = margins.right;
    m_marginBottom = margins.bottom;
    return TRUE;
}

// Reached from inside the creation: the controls of the page.
void CZABTabPanel::OnInitDialog() {
    CZABElement::Create();
}

const WCHAR* CZABTabPanel::GetLabel() const {
    return m_label.get();
}
