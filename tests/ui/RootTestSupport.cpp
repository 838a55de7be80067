#include "tests/ui/RootTestSupport.h"
#include <shlobj.h>
#include "plugin/CPluginStream.h"
#include "plugin/Unique.h"

#ifndef CLIPPUT_PROGRAM
#error "CLIPPUT_PROGRAM must name clipput.exe"
#endif

std::wstring HistoryFolder() {
    WCHAR appData[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::wstring(appData) + L"\\Orbelan\\Dravelle\\Mirabex";
}

namespace {

template <typename Visit>
void ForEachFile(Visit visit) {
    std::wstring folder = HistoryFolder();
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) visit(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::wstring ProgramPath() {
    std::string path = CLIPPUT_PROGRAM;
    std::wstring wide(path.begin(), path.end());
    // The build names a Unix path; Wine's drive Z: is the Unix root.
    if (!wide.empty() && wide[0] == L'/') wide = L"Z:" + wide;
    for (auto& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

}  // namespace

void CleanHistoryFolder() {
    ForEachFile([](const std::wstring& file) { DeleteFileW(file.c_str()); });
}

size_t SnapshotFileCount() {
    size_t count = 0;
    ForEachFile([&count](const std::wstring& file) {
        if (file.size() > 8 && _wcsicmp(file.c_str() + file.size() - 8, L".dvlclip") == 0) ++count;
    });
    return count;
}

bool ClipPut(const std::vector<std::wstring>& steps) {
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    for (const std::wstring& step : steps) command += L" \"" + step + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    mx::unique_handle owner(process.hProcess);
    CloseHandle(process.hThread);
    DWORD code = 1;
    bool ended = WaitUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
    GetExitCodeProcess(process.hProcess, &code);
    return ended && code == 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void PumpFor(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

std::wstring ClipboardText() {
    std::wstring text;
    for (int i = 0; i < 200 && !OpenClipboard(nullptr); ++i) Sleep(5);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        mx::unique_hglobal_locked locked(data);
        if (locked) {
            auto chars = static_cast<const wchar_t*>(locked.get());
            size_t limit = locked.size() / sizeof(wchar_t);
            size_t length = 0;
            while (length < limit && chars[length]) ++length;
            text.assign(chars, length);
        }
    }
    CloseClipboard();
    return text;
}

Microsoft::WRL::ComPtr<IStream> StreamOf(CPluginStream& settings) {
    Microsoft::WRL::ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (!stream) return stream;
    settings.WriteTo(stream.Get());
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

bool ReadRecords(IStream* stream, CPluginStream& into) {
    LARGE_INTEGER zero = {};
    if (!stream || FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return false;
    return into.ReadFrom(stream) != FALSE;
}

std::vector<std::wstring> RecordNames(const CPluginStream& settings) {
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < settings.GetRecordCount(); ++i) {
        int type = settings.GetRecordType(i);
        std::wstring prefix = type == CPluginStream::GroupBegin ? L"+" : type == CPluginStream::GroupEnd ? L"-" : L"";
        names.push_back(prefix + settings.GetRecordName(i));
    }
    return names;
}
