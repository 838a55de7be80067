// Shared pieces of the watcher and history tests: a private history folder,
// an event handler that counts notifications, polling with a time-out, and
// direct clipboard access for the checks.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>

#include "watcher/ObClipEventHandler.h"

class CClipboardItem;
class CObClipboard;

// A new empty folder under the temporary folder, removed with its files.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Names of the files in the folder.
    std::set<std::wstring> Files() const;

private:
    std::wstring m_path;
};

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

// Polls the condition every few milliseconds, answering the messages sent to
// this thread's windows meanwhile; false when it did not come true in time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Waits until the watcher has handled the clipboard sequence number.
bool WaitForSequence(const CObClipboard& store, DWORD sequence, DWORD timeoutMs = 5000);
// Waits until the watcher's window exists and leads the viewer chain.
bool WaitForWatcher(const CObClipboard& store, DWORD timeoutMs = 5000);

// The Unicode text on the clipboard, or an empty string.
std::wstring ClipboardText();
// The previews of the history items, oldest first, separated by commas.
std::wstring ItemTexts(CObClipboard& store);
// The main format's preview text of an item (text items only).
std::wstring PreviewOf(const CClipboardItem* item);
// The item whose preview is the text; null when none. A reference is added.
CClipboardItem* FindByText(CObClipboard& store, const std::wstring& text);
// Files the store lists, for comparing with the folder.
std::set<std::wstring> ListedFiles(CObClipboard& store);

std::string Narrow(const std::wstring& text);
