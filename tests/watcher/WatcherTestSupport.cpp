#include "tests/watcher/WatcherTestSupport.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>
#include <vector>

#include "base/CPluginStream.h"

#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CHGLOBALTextformatBase.h"
#include "clipdata/CSnapshotWriter.h"
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

std::set<std::wstring> SnapshotFiles(const CTempFolder& folder) {
    std::set<std::wstring> names;
    const std::wstring extension = L".dvlclip";
    for (const std::wstring& name : folder.Files())
        if (name.size() > extension.size() &&
            _wcsicmp(name.c_str() + name.size() - extension.size(), extension.c_str()) == 0)
            names.insert(name);
    return names;
}

std::set<std::wstring> TemporaryFiles(const CTempFolder& folder) {
    std::set<std::wstring> names;
    const std::wstring suffix = CSnapshotWriter::kTemporarySuffix;
    const std::wstring subfolder = std::wstring(CSnapshotWriter::kTemporaryFolder) + L"\\";
    WIN32_FIND_DATAW found;
    for (const std::wstring& place : {std::wstring(), subfolder}) {
        mx::unique_find search(FindFirstFileW(folder.File(place + L"*").c_str(), &found));
        if (!search) continue;
        do {
            const std::wstring name = found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                name.find(suffix) != std::wstring::npos)
                names.insert(place + name);
        } while (FindNextFileW(search.get(), &found));
    }
    return names;
}

bool SaveIndexFile(CObClipboard& store, const std::wstring& path) {
    CPluginStream settings;
    settings.BeginGroup(L"clipboard");
    store.SaveIndex(settings);
    settings.EndGroup();
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !settings.WriteTo(stream.Get()))
        return false;
    HGLOBAL block = nullptr;
    STATSTG stat = {};
    if (FAILED(GetHGlobalFromStream(stream.Get(), &block)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
        return false;
    mx::unique_hglobal_locked locked(block);
    const BYTE* data = static_cast<const BYTE*>(locked.get());
    return data && mxtest::WriteFileBytes(path, mxtest::Bytes(data, data + stat.cbSize.QuadPart));
}

bool LoadIndexFile(CObClipboard& store, const std::wstring& path) {
    const mxtest::Bytes bytes = mxtest::ReadFileBytes(path);
    if (bytes.empty()) return false;
    Microsoft::WRL::ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return false;
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CPluginStream settings;
    settings.ReadFrom(stream.Get());
    if (!settings.EnterGroup(L"clipboard")) return false;
    store.LoadIndex(settings);
    return true;
}
