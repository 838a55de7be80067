#include "CTempFolder.h"
#include <shellapi.h>
#include <cwchar>

CTempFolder::CTempFolder() {
    WCHAR base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    WCHAR name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%lsdvlhost-test-%lu-%ld", base, GetCurrentProcessId(),
             InterlockedIncrement(&counter));
    CreateDirectoryW(name, nullptr);
    m_path = name;
}

CTempFolder::~CTempFolder() {
    std::wstring from = m_path + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

bool CTempFolder::ReadFile(const std::wstring& path, std::vector<BYTE>& bytes) {
    bytes.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    bool ok = size == 0 || (::ReadFile(file, bytes.data(), size, &read, nullptr) && read == size);
    CloseHandle(file);
    return ok;
}

bool CTempFolder::WriteFile(const std::wstring& path, const std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}

bool CTempFolder::Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
