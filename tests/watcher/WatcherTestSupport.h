// Shared pieces of the watcher and history tests: an event handler that
// counts notifications, waiting for the watcher, and the history's texts.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>

#include "clipdata/CClipboardItem.h"
#include "tests/support/COtherApp.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/CTestClipboard.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Waiting.h"
#include "watcher/ObClipEventHandler.h"

using mxtest::ClipboardText;
using mxtest::COtherApp;
using mxtest::CTempFolder;
using mxtest::FileExists;
using mxtest::Narrow;
using mxtest::WaitUntil;

class CObClipboard;

class CountingHandler : public ObClipEventHandler {
public:
    void OnHistoryChanged() override {
        ++m_count;
        m_threads.fetch_or(GetCurrentThreadId() == m_mainThread ? 1 : 2);
    }
    int Count() const { return m_count; }
    // 1: seen on the creating thread, 2: seen on another thread.
    int Threads() const { return m_threads; }

private:
    std::atomic<int> m_count{0};
    std::atomic<int> m_threads{0};
    DWORD m_mainThread = GetCurrentThreadId();
};

// Waits until the watcher has handled the clipboard sequence number.
bool WaitForSequence(const CObClipboard& store, DWORD sequence, DWORD timeoutMs = 5000);
// Waits until the watcher's window exists and leads the viewer chain.
bool WaitForWatcher(const CObClipboard& store, DWORD timeoutMs = 5000);

// The previews of the history items, oldest first, separated by commas.
std::wstring ItemTexts(CObClipboard& store);
// The main format's preview text of an item (text items only).
std::wstring PreviewOf(const CClipboardItem* item);
// The item whose preview is the text; null when none.
ItemRef FindByText(CObClipboard& store, const std::wstring& text);
// Files the store lists, for comparing with the folder.
std::set<std::wstring> ListedFiles(CObClipboard& store);
// The history index in a file holding a settings stream as the bar keeps
// it (a "clipboard" group). The load answers false, loading nothing, when
// the file cannot be read.
bool SaveIndexFile(CObClipboard& store, const std::wstring& path);
bool LoadIndexFile(CObClipboard& store, const std::wstring& path);
// The snapshot files in the folder (the history's catalogue aside).
std::set<std::wstring> SnapshotFiles(const CTempFolder& folder);
// Files that writers left under their temporary names, in the folder or in
// its subfolder of temporary files (named as "writing\\..." there).
std::set<std::wstring> TemporaryFiles(const CTempFolder& folder);
