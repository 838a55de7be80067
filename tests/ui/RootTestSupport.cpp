#include "tests/ui/RootTestSupport.h"
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstdio>
#include "base/CPluginStream.h"
#include "base/Unique.h"

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

Watchdog::Watchdog(DWORD ms)
    : m_thread([this, ms] {
          ULONGLONG end = GetTickCount64() + ms;
          while (!m_done && GetTickCount64() < end) Sleep(20);
          if (!m_done) {
              fprintf(stderr, "watchdog: the call did not return within %lu ms\n", static_cast<unsigned long>(ms));
              ExitProcess(3);
          }
      }) {}

Watchdog::~Watchdog() {
    m_done = true;
    m_thread.join();
}


std::vector<CContextMenu::Item> ReadContextMenu(IDvlButton* button) {
    CContextMenu menu(button, CContextMenu::BarCommand::None);
    EXPECT_EQ(GetMenuItemCount(menu.Handle()), menu.Added());
    const std::vector<CContextMenu::Item>& items = menu.Items();
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(i + 1, items[i].number) << i;
    return items;
}
