#include "zab/CZABListItem.h"

#include <algorithm>
#include "zab/CZABEngine.h"
#include "zab/ZABMeasure.h"

CZABListItem::CZABListItem(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABListItem::~CZABListItem() = default;

BOOL CZABListItem::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"listitem", type, out);
}

BOOL CZABListItem::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_label = ReadLocText(node, L"label");
    m_value = CZABEngine::GetAttrInt(node, L"value", 0);
    return TRUE;
}

const WCHAR* CZABListItem::GetLabel() const {
    return m_label.get();
}

int CZABListItem::GetItemValue() const {
    return m_value;
}

SIZE CZABListItem::MeasureLabels(CZABElement& owner) {
    SIZE total = {0, 0};
    ForEachItem(owner, L"listitem", [&total](int, int, const WCHAR* label) {
        const SIZE text = ZABMeasureText(label);
        total.cx = std::max(total.cx, text.cx);
        total.cy += text.cy;
    });
    return total;
}

void CZABListItem::AddToControl(HWND control, UINT add, UINT setData, int value,
                                const WCHAR* label) {
    if (!control) return;
    const LRESULT index = ::SendMessageW(control, add, 0, reinterpret_cast<LPARAM>(label ? label : L""));
    if (index >= 0) ::SendMessageW(control, setData, index, value);
}

int CZABListItem::FindInControl(HWND control, UINT getCount, UINT getData, int value) {
    const int count = control ? static_cast<int>(::SendMessageW(control, getCount, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        if (static_cast<int>(::SendMessageW(control, getData, i, 0)) == value) return i;
    }
    return -1;
}

void CZABListItem::ForEachItem(CZABElement& owner, const WCHAR* type, const ItemSink& add) {
    for (int i = 0; i < owner.GetChildCount(); ++i) {
        if (const auto* item = owner.GetChildAs<CZABListItem>(i, type)) {
            add(i, item->m_value, item->m_label.get());
        }
    }
}
