#include "zab/CZABLabel.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABLabel::CZABLabel(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABLabel::~CZABLabel() = default;

BOOL CZABLabel::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"label", type, out);
}

BOOL CZABLabel::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_value = ReadLocText(node, L"value");
    m_vCenter = CZABEngine::GetAttrBool(node, L"vcenter", TRUE);
    m_textAlign = CZABEngine::GetAttrEnum(node, L"textalign", {L"left", L"right", L"center"}, 0);
    return TRUE;
}

void CZABLabel::SetText(const WCHAR* text) {
    m_value = ZABCopyText(text);
    if (m_window) ::SetWindowTextW(m_window, text ? text : L"");
}

const WCHAR* CZABLabel::GetText() {
    return m_value.get();
}

BOOL CZABLabel::Create() {
    // With a "width" the text wraps at words within it.
    if (m_width) {
        const int cx = MapX(m_width);
        SetMinimum(cx, ZABMeasureText(m_value.get(), cx).cy);
    } else {
        // Wine's rasteriser can put a glyph's last column past the advance the
        // text's extent counts; a static clips that glyph away entirely, so a
        // label that fits its extent exactly loses its last character.
        const SIZE text = ZABMeasureText(m_value.get());
        SetMinimum(text.cx + MapX(1), std::max<int>(MapY(14), text.cy));
    }
    static const DWORD kAlign[] = {SS_LEFT, SS_RIGHT, SS_CENTER};
    // A centred image is drawn on one line: a label that wraps keeps its lines.
    const DWORD centred = m_vCenter && !m_width ? SS_CENTERIMAGE : 0;
    CreateControl(L"STATIC", m_value.get(), kAlign[m_textAlign] | centred);
    return CZABElement::Create();
}
