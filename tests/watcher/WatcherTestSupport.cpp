#include "tests/watcher/WatcherTestSupport.h"

#include <cstdio>

#include "clipdata/CClipboardItem.h"
#include "clipdata/CHGLOBALTextformatBase.h"
#include "plugin/Unique.h"
#include "watcher/CObClipboard.h"

TempFolder::TempFolder() {
    WCHAR base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int serial = 0;
    WCHAR name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%smx-history-%lu-%d", base, GetCurrentProcessId(), ++serial);
    m_path = name;
    CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    for (const std::wstring& name : Files()) DeleteFileW(File(name).c_str());
    RemoveDirectoryW(m_path.c_str());
}

std::set<std::wstring> TempFolder::Files() const {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((m_path + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

bool WaitForSequence(const CObClipboard& store, DWORD sequence, DWORD timeoutMs) {
    return WaitUntil([&] { return store.GetLastSequence() >= sequence; }, timeoutMs);
}

bool WaitForWatcher(const CObClipboard& store, DWORD timeoutMs) {
    return WaitUntil([&] {
        HWND window = store.GetWindow();
        return window && GetClipboardViewer() == window;
    }, timeoutMs);
}

std::wstring ClipboardText() {
    std::wstring text;
    for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i) Sleep(5);
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        mx::unique_hglobal_locked block(h);
        if (block) text = static_cast<const WCHAR*>(block.get());
    }
    CloseClipboard();
    return text;
}

std::wstring PreviewOf(const CClipboardItem* item) {
    auto* text = dynamic_cast<CHGLOBALTextformatBase*>(item->GetMainFormat());
    return text && text->GetPreview() ? text->GetPreview() : L"";
}

std::wstring ItemTexts(CObClipboard& store) {
    std::wstring all;
    for (int i = 0;; ++i) {
        CClipboardItem* item = store.GetItem(i);
        if (!item) break;
        if (i) all += L",";
        all += PreviewOf(item);
        item->Release();
    }
    return all;
}

CClipboardItem* FindByText(CObClipboard& store, const std::wstring& text) {
    for (int i = 0;; ++i) {
        CClipboardItem* item = store.GetItem(i);
        if (!item) return nullptr;
        if (PreviewOf(item) == text) return item;
        item->Release();
    }
}

std::set<std::wstring> ListedFiles(CObClipboard& store) {
    std::set<std::wstring> names;
    for (int i = 0;; ++i) {
        CClipboardItem* item = store.GetItem(i);
        if (!item) break;
        names.insert(item->GetFileName());
        item->Release();
    }
    return names;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &s[0], n, nullptr, nullptr);
    return s;
}
