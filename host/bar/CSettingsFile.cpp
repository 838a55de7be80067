#include "host/bar/CSettingsFile.h"
#include <shlobj.h>
#include "base/Unique.h"
#include "host/bar/CGuidText.h"

std::wstring CSettingsFile::DefaultPath(const CLSID& clsid) {
    WCHAR folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder)))
        return std::wstring();
    return std::wstring(folder) + L"\\Dravelle\\" + CGuidText::Format(clsid) + L".settings";
}

HRESULT CSettingsFile::Read(std::vector<BYTE>& bytes) const {
    bytes.clear();
    mx::unique_file file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return S_FALSE;
        return HRESULT_FROM_WIN32(error);
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return HRESULT_FROM_WIN32(GetLastError());
    if (static_cast<ULONGLONG>(size.QuadPart) > kMaxSize) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &chunk, nullptr))
            return HRESULT_FROM_WIN32(GetLastError());
        if (chunk == 0) return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
        done += chunk;
    }
    return S_OK;
}

HRESULT CSettingsFile::WriteTemporary(const std::wstring& temporary,
                                      const std::vector<BYTE>& bytes) const {
    mx::unique_file file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return HRESULT_FROM_WIN32(GetLastError());
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        if (!WriteFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                       &chunk, nullptr) || chunk == 0)
            return HRESULT_FROM_WIN32(GetLastError());
        done += chunk;
    }
    if (!FlushFileBuffers(file.get())) return HRESULT_FROM_WIN32(GetLastError());
    return S_OK;
}

HRESULT CSettingsFile::Write(const std::vector<BYTE>& bytes) const {
    if (m_path.empty()) return E_INVALIDARG;
    size_t slash = m_path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0) {
        std::wstring folder = m_path.substr(0, slash);
        int rc = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS)
            return HRESULT_FROM_WIN32(rc);
    }
    std::wstring temporary = m_path + L".tmp";
    HRESULT hr = WriteTemporary(temporary, bytes);
    if (SUCCEEDED(hr) && !MoveFileExW(temporary.c_str(), m_path.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        hr = HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr)) DeleteFileW(temporary.c_str());
    return hr;
}

HRESULT CSettingsFile::MakeStream(const std::vector<BYTE>& bytes, IStream** stream) {
    *stream = nullptr;
    mx::unique_hglobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size()));
    if (!memory) return E_OUTOFMEMORY;
    {
        mx::unique_hglobal_locked data(memory.get());
        if (!data) return E_OUTOFMEMORY;
        if (!bytes.empty()) memcpy(data.get(), bytes.data(), bytes.size());
    }
    HRESULT hr = CreateStreamOnHGlobal(memory.get(), TRUE, stream);
    if (FAILED(hr)) return hr;
    memory.release();
    // The block may be larger than the data: the stream's size is the data's.
    ULARGE_INTEGER size;
    size.QuadPart = bytes.size();
    return (*stream)->SetSize(size);
}

HRESULT CSettingsFile::ReadStream(IStream* stream, std::vector<BYTE>& bytes) {
    bytes.clear();
    STATSTG stat{};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > kMaxSize) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    LARGE_INTEGER start{};
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        ULONG chunk = 0;
        hr = stream->Read(bytes.data() + done, static_cast<ULONG>(bytes.size() - done), &chunk);
        if (FAILED(hr)) return hr;
        if (chunk == 0) break;
        done += chunk;
    }
    bytes.resize(done);
    return S_OK;
}
