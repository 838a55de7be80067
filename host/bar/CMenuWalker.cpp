#include "host/bar/CMenuWalker.h"

namespace {
constexpr UINT kMaxSortKeys = 16;
}

void CMenuWalker::ReadKeys() {
    for (UINT n = 0; n < kMaxSortKeys; ++n) {
        WCHAR name[MAX_PATH] = L"";
        DVLSORTKEY record{0, name};
        if (m_root->HandleMessage(21, n, &record) != S_OK) break;
        name[MAX_PATH - 1] = L'\0';
        m_keys.push_back({record.keyId, name});
    }
}

void CMenuWalker::AddChild(const DVLENUMCHILD& record, const WCHAR* text) {
    DVLCREATECHILD create{m_root, record.item, nullptr};
    bool made = m_root->HandleMessage(16, 0, &create) == S_OK && create.child;
    m_entries.push_back({text, made});
    if (made) {
        Child child;
        child.id = text;
        // The record hands over its reference (ComPtr::Attach here would add one).
        *child.button.ReleaseAndGetAddressOf() = create.child;
        if (m_site) child.button->SetSite(m_site);
        m_children.push_back(std::move(child));
    } else {
        ++m_failures;
    }
    // The enumeration's reference goes back whether or not a sub-button was made.
    DVLENUMCHILD release = record;
    m_root->HandleMessage(15, 0, &release);
}

int CMenuWalker::Compare(IDvlButton* first, IDvlButton* second, UINT key) {
    DVLCOMPARE record{first, second, key, 0};
    m_root->HandleMessage(20, 0, &record);
    return record.result;
}

void CMenuWalker::Sort(UINT key) {
    // Insertion sort: stable, and safe however the button answers.
    for (size_t i = 1; i < m_children.size(); ++i) {
        size_t j = i;
        while (j > 0 &&
               Compare(m_children[j].button.Get(), m_children[j - 1].button.Get(), key) < 0) {
            std::swap(m_children[j], m_children[j - 1]);
            --j;
        }
    }
}

HRESULT CMenuWalker::Walk() {
    Clear();
    if (!m_root) return E_POINTER;
    ReadKeys();
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    HRESULT hr = m_root->HandleMessage(13, 0, &record);
    while (hr == S_OK) {
        text[MAX_PATH - 1] = L'\0';
        AddChild(record, text);
        if (m_children.size() + m_failures >= kMaxChildren) return E_UNEXPECTED;
        text[0] = L'\0';
        record.text = text;
        record.item = nullptr;
        hr = m_root->HandleMessage(14, 0, &record);
    }
    if (!m_keys.empty()) Sort(m_keys.front().id);
    return S_OK;
}
