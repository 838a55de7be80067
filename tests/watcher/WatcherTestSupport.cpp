#include "tests/watcher/WatcherTestSupport.h"

#include <cstdio>

#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CHGLOBALTextformatBase.h"
#include "watcher/CObClipboard.h"

bool WaitForSequence(const CObClipboard& store, DWORD sequence, DWORD timeoutMs) {
    return WaitUntil([&] { return store.GetLastSequence() >= sequence; }, timeoutMs);
}

bool WaitForWatcher(const CObClipboard& store, DWORD timeoutMs) {
    return WaitUntil([&] {
        HWND window = store.GetWindow();
        return window && GetClipboardViewer() == window;
    }, timeoutMs);
}

std::wstring PreviewOf(const CClipboardItem* item) {
    auto* text = dynamic_cast<CHGLOBALTextformatBase*>(item->GetMainFormat());
    return text && text->GetPreview() ? text->GetPreview() : L"";
}

std::wstring ItemTexts(CObClipboard& store) {
    std::wstring all;
    for (int i = 0;; ++i) {
        ItemRef item = store.GetItem(i);
        if (!item) break;
        if (i) all += L",";
        all += PreviewOf(item.get());
    }
    return all;
}

ItemRef FindByText(CObClipboard& store, const std::wstring& text) {
    for (int i = 0;; ++i) {
        ItemRef item = store.GetItem(i);
        if (!item) return nullptr;
        if (PreviewOf(item.get()) == text) return item;
    }
}

std::set<std::wstring> ListedFiles(CObClipboard& store) {
    std::set<std::wstring> names;
    for (int i = 0;; ++i) {
        ItemRef item = store.GetItem(i);
        if (!item) break;
        names.insert(item->GetFileName());
    }
    return names;
}
