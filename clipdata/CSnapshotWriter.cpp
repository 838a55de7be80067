#include "clipdata/CSnapshotWriter.h"

#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "clipdata/CAppendStream.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CCompoundFileWriter.h"

const WCHAR CSnapshotWriter::kTemporarySuffix[] = L".writing";
const WCHAR CSnapshotWriter::kTemporaryFolder[] = L"writing";

namespace {

std::mutex g_hookGuard;
std::function<void(const WCHAR*)> g_pauseHook;

}  // namespace

CSnapshotWriter::CSnapshotWriter(const std::wstring& path, ULONGLONG dataBytes)
    : m_path(path), m_largeSectors(dataBytes >= kLargeSectorsFrom) {
    if (path.empty()) return;
    m_file = CreateTemporary(path, &m_temporary);
    if (!m_file) return;
    m_writer.reset(new (std::nothrow) CCompoundFileWriter(
        m_file.get(), m_largeSectors ? CCompoundFileWriter::kLargeSectorShift
                                     : CCompoundFileWriter::kSmallSectorShift));
    if (!m_writer) Abandon();
}

CSnapshotWriter::~CSnapshotWriter() {
    if (!m_committed) Abandon();
}

IStream* CSnapshotWriter::BeginStream(const WCHAR* name) {
    if (!m_writer || m_stream || !m_writer->BeginStream(name)) return nullptr;
    m_stream.Attach(new (std::nothrow) CAppendStream(m_writer.get()));
    if (!m_stream) m_writer->EndStream(false);
    return m_stream.Get();
}

bool CSnapshotWriter::EndStream(bool keep) {
    if (!m_stream) return false;
    m_stream.Reset();
    return m_writer->EndStream(keep);
}

bool CSnapshotWriter::Commit() {
    if (!m_writer || m_stream || m_committed) return false;
    Pause();
    MX_PROFILE_SPAN(Commit);
    const bool written = m_writer->Finish();
    m_writer.reset();
    MX_PROFILE_STOP(Commit);
    MX_PROFILE_SPAN(Rename);
    if (!written || !PutInPlace(m_file, m_temporary, m_path)) {
        Abandon();
        return false;
    }
    m_committed = true;
    return true;
}

// Renaming the file through its open handle spares opening it again by
// name; where the system does not take a path there, the closed file is
// renamed by name instead.
bool CSnapshotWriter::PutInPlace(mx::unique_file& file, const std::wstring& temporary,
                                 const std::wstring& path) {
    const size_t nameBytes = path.size() * sizeof(WCHAR);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    memcpy(info->FileName, path.c_str(), nameBytes);
    const bool renamed =
        SetFileInformationByHandle(file.get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
    file.reset();
    return renamed || MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void CSnapshotWriter::Abandon() {
    m_stream.Reset();
    m_writer.reset();
    m_file.reset();
    if (!m_temporary.empty()) DeleteFileW(m_temporary.c_str());
}

namespace {

mx::unique_file CreateUnshared(const std::wstring& path) {
    return mx::unique_file(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void RemoveMatching(const std::wstring& folder, const std::wstring& pattern) {
    WIN32_FIND_DATAW found;
    mx::unique_find search(FindFirstFileW((folder + L"\\" + pattern).c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search.get(), &found));
}

}  // namespace

// Opened without sharing: the cleanup at the next start leaves a file that
// a running writer still holds. A folder without the subfolder takes the
// file beside the snapshot.
mx::unique_file CSnapshotWriter::CreateTemporary(const std::wstring& path, std::wstring* temporary) {
    const size_t slash = path.find_last_of(L"\\/");
    mx::unique_file file;
    if (slash != std::wstring::npos) {
        *temporary = path.substr(0, slash + 1) + kTemporaryFolder + L"\\" + path.substr(slash + 1) +
                     kTemporarySuffix;
        file = CreateUnshared(*temporary);
    }
    if (!file && (slash == std::wstring::npos || GetLastError() == ERROR_PATH_NOT_FOUND)) {
        *temporary = path + kTemporarySuffix;
        file = CreateUnshared(*temporary);
    }
    if (!file) temporary->clear();
    return file;
}

void CSnapshotWriter::MakeTemporaryFolder(const std::wstring& folder) {
    CreateDirectoryW((folder + L"\\" + kTemporaryFolder).c_str(), nullptr);
}

void CSnapshotWriter::RemoveLeftovers(const std::wstring& folder, const WCHAR* extension) {
    const std::wstring pattern = std::wstring(L"*") + extension + kTemporarySuffix;
    RemoveMatching(folder, pattern);
    RemoveMatching(folder + L"\\" + kTemporaryFolder, pattern);
}

void CSnapshotWriter::SetPauseHook(std::function<void(const WCHAR*)> hook) {
    std::lock_guard<std::mutex> hold(g_hookGuard);
    g_pauseHook = std::move(hook);
}

void CSnapshotWriter::Pause() const {
    std::function<void(const WCHAR*)> hook;
    {
        std::lock_guard<std::mutex> hold(g_hookGuard);
        hook = g_pauseHook;
    }
    if (hook) hook(m_temporary.c_str());
}
