// Builds a button's menu the way the bar does: asks for the sort keys
// (message 21), walks the children (13, then 14 until it answers S_FALSE,
// which also ends the button's hold on its list), has a sub-button made for
// each (16), gives it the bar's site and hands each enumeration reference
// back (15), then sorts the sub-buttons with the first key (20).
#pragma once
#include <windows.h>
#include <wrl/client.h>
#include <string>
#include <vector>
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"

class CMenuWalker {
public:
    struct SortKey {
        UINT id;
        std::wstring name;
    };
    // One item as the enumeration gave it, in the button's order.
    struct Entry {
        std::wstring id;
        bool made;  // a sub-button was made for it
    };
    struct Child {
        std::wstring id;  // the text the enumeration gave
        Microsoft::WRL::ComPtr<IDvlButton> button;
    };
    // Guards against a button whose enumeration never ends.
    static constexpr size_t kMaxChildren = 100000;

    // site: what each sub-button is given as its bar (none: sub-buttons
    // answer with the metrics of a button without a bar).
    explicit CMenuWalker(IDvlButton* root, IDvlHost* site = nullptr) : m_root(root), m_site(site) {}

    HRESULT Walk();
    const std::vector<SortKey>& Keys() const { return m_keys; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::vector<Child>& Children() const { return m_children; }
    // Sub-buttons that could not be made for an enumerated item.
    size_t Failures() const { return m_failures; }
    // Sorts the sub-buttons again by the first key (after a capture time changed).
    void Resort() {
        if (!m_keys.empty()) Sort(m_keys.front().id);
    }
    void Clear() {
        m_entries.clear();
        m_children.clear();
        m_keys.clear();
        m_failures = 0;
    }

private:
    void ReadKeys();
    void AddChild(const DVLENUMCHILD& record, const WCHAR* text);
    int Compare(IDvlButton* first, IDvlButton* second, UINT key);
    void Sort(UINT key);

    IDvlButton* m_root;
    IDvlHost* m_site;
    std::vector<SortKey> m_keys;
    std::vector<Entry> m_entries;
    std::vector<Child> m_children;
    size_t m_failures = 0;
};
