// An item of a combo box or list box: a label and a value as its data.
#pragma once
#include <windows.h>
#include <functional>
#include "zab/CZABElement.h"

class CZABListItem : public CZABElement {
public:
    CZABListItem(CZABElement* parent, CZABEngine* engine);
    ~CZABListItem() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    const WCHAR* GetLabel() const;
    int GetItemValue() const;

    // The widest label among the list items of `owner`, and their heights
    // added up; 0 x 0 when it holds none.
    static SIZE MeasureLabels(CZABElement& owner);
    // Calls `add` with the value and label of each child of `owner` whose
    // type is `type`, with its position among the children, in order.
    using ItemSink = std::function<void(int position, int value, const WCHAR* label)>;
    static void ForEachItem(CZABElement& owner, const WCHAR* type, const ItemSink& add);

    // Combo boxes and list boxes hold items the same way under their own
    // messages: `add` appends a text, `setData`/`getData` an item's data.
    static void AddToControl(HWND control, UINT add, UINT setData, int value, const WCHAR* label);
    // The first item whose data is `value`, or -1.
    static int FindInControl(HWND control, UINT getCount, UINT getData, int value);

protected:
    ZABText m_label;       // "label", localised
    int m_value = 0;       // "value"
};
