#include "tests/zab/CProbeElement.h"

#include "zab/CZABEngine.h"

CProbeElement::CProbeElement(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine) {}

BOOL CProbeElement::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_withWindow = CZABEngine::GetAttrBool(node, L"window", FALSE);
    return TRUE;
}

BOOL CProbeElement::Create() {
    char here = 0;
    m_stack = reinterpret_cast<uintptr_t>(&here);
    if (m_withWindow) {
        m_window = ::CreateWindowExW(0, L"STATIC", m_label ? m_label.get() : L"",
                                     WS_CHILD | WS_VISIBLE | WS_BORDER | SS_CENTER | SS_CENTERIMAGE, m_left, m_top, 1, 1,
                                     GetParent()->GetHostWindow(), nullptr, nullptr, nullptr);
    }
    return CZABElement::Create();
}

void CProbeElement::Layout(int x, int y, int cx, int cy) {
    m_cell = {x, y, x + cx, y + cy};
    ++m_layouts;
    CZABElement::Layout(x, y, cx, cy);
}

void CProbeElement::SetGaps(int hSpacing, int vSpacing, RECT margins) {
    m_hSpacing = hSpacing;
    m_vSpacing = vSpacing;
    m_marginLeft = margins.left;
    m_marginTop = margins.top;
    m_marginRight = margins.right;
    m_marginBottom = margins.bottom;
}

const WCHAR* CProbeElement::GetLabel() const {
    return m_label.get();
}

RECT CProbeElement::GetCell() const {
    return m_cell;
}

int CProbeElement::GetLayoutCount() const {
    return m_layouts;
}

uintptr_t CProbeElement::GetStackAtCreate() const {
    return m_stack;
}
