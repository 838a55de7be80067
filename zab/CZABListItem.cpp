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

SIZE CZABListItem::MeasureLabels(CZABElement& owner) {
    SIZE total = {0, 0};
    for (int i = 0; i < owner.GetChildCount(); ++i) {
        CZABElement* item = nullptr;
        if (!owner.GetChild(i)->QueryElement(L"listitem", &item)) continue;
        const SIZE text = ZABMeasureText(static_cast<CZABListItem*>(item)->m_label.get());
        total.cx = std::max(total.cx, text.cx);
        total.cy += text.cy;
    }
    return total;
}
