#include "tests/support/CTempFolder.h"

#include <shellapi.h>

#include "tests/support/TestFiles.h"

namespace mxtest {

CTempFolder::CTempFolder(const wchar_t* tag) {
    static LONG serial = 0;
    WCHAR base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    m_path = std::wstring(base) + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(InterlockedIncrement(&serial));
    CreateDirectoryW(m_path.c_str(), nullptr);
}

CTempFolder::~CTempFolder() {
    // The list of paths ends with two NULs.
    std::wstring from = m_path + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

std::set<std::wstring> CTempFolder::Files() const {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::wstring CTempFolder::Write(const std::wstring& name, const std::vector<BYTE>& bytes) const {
    const std::wstring path = File(name);
    return WriteFileBytes(path, bytes) ? path : std::wstring();
}

}  // namespace mxtest
