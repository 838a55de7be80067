#include "clipdata/CSnapshotWriter.h"

#include <mutex>
#include <utility>

#include "base/Unique.h"
#include "clipdata/CCaptureProfile.h"

const WCHAR CSnapshotWriter::kTemporarySuffix[] = L".writing";

namespace {

const DWORD kCreateFile = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
const USHORT kLargeSector = 4096;
// One write call moves at most this much.
const DWORD kWriteChunk = 16 * 1024 * 1024;

std::mutex g_hookGuard;
std::function<void(const WCHAR*)> g_pauseHook;

}  // namespace

CSnapshotWriter::CSnapshotWriter(const std::wstring& path, ULONGLONG dataBytes)
    : m_path(path), m_temporary(path + kTemporarySuffix) {
    if (path.empty()) return;
    if (dataBytes < kInMemoryLimit ? !CreateInMemory() : !CreateOnDisk()) Abandon();
}

CSnapshotWriter::~CSnapshotWriter() {
    if (!m_committed) Abandon();
}

// Measured under Wine: a compound file built in memory and written at once
// is several times faster than one built on the disk with 512-byte sectors.
bool CSnapshotWriter::CreateInMemory() {
    return SUCCEEDED(CreateILockBytesOnHGlobal(nullptr, TRUE, &m_lockBytes)) &&
           SUCCEEDED(StgCreateDocfileOnILockBytes(m_lockBytes.Get(), kCreateFile, 0, &m_storage));
}

// Large snapshots: 4096-byte sectors on the disk beat building them in
// memory, and hold no second copy of the data.
bool CSnapshotWriter::CreateOnDisk() {
    STGOPTIONS options = {};
    options.usVersion = 1;
    options.ulSectorSize = kLargeSector;
    return SUCCEEDED(StgCreateStorageEx(m_temporary.c_str(), kCreateFile, STGFMT_DOCFILE, 0,
                                        &options, nullptr, IID_IStorage,
                                        reinterpret_cast<void**>(m_storage.GetAddressOf())));
}

bool CSnapshotWriter::Commit() {
    if (!m_storage || m_committed) return false;
    if (!IsInMemory()) Pause();
    MX_PROFILE_SPAN(Commit);
    bool written = SUCCEEDED(m_storage->Commit(STGC_DEFAULT));
    m_storage.Reset();
    MX_PROFILE_STOP(Commit);
    MX_PROFILE_SPAN(FileWrite);
    if (written && IsInMemory()) written = WriteMemoryToFile();
    m_lockBytes.Reset();
    MX_PROFILE_STOP(FileWrite);
    MX_PROFILE_SPAN(Rename);
    if (!written || !MoveFileExW(m_temporary.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        Abandon();
        return false;
    }
    m_committed = true;
    return true;
}

bool CSnapshotWriter::WriteMemoryToFile() {
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    if (FAILED(m_lockBytes->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(GetHGlobalFromILockBytes(m_lockBytes.Get(), &memory)))
        return false;
    mx::unique_hglobal_locked bytes(memory);
    if (!bytes || bytes.size() < stat.cbSize.QuadPart) return false;
    mx::unique_file file(CreateFileW(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const BYTE* data = static_cast<const BYTE*>(bytes.get());
    const ULONGLONG size = stat.cbSize.QuadPart;
    const ULONGLONG half = size / 2;
    if (!WriteAll(file.get(), data, half)) return false;
    Pause();
    return WriteAll(file.get(), data + half, size - half);
}

bool CSnapshotWriter::WriteAll(HANDLE file, const BYTE* data, ULONGLONG size) {
    while (size) {
        const DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

void CSnapshotWriter::Abandon() {
    m_storage.Reset();
    m_lockBytes.Reset();
    if (!m_path.empty()) DeleteFileW(m_temporary.c_str());
}

void CSnapshotWriter::RemoveLeftovers(const std::wstring& folder) {
    const std::wstring pattern = folder + L"\\*.dvlclip" + kTemporarySuffix;
    WIN32_FIND_DATAW found;
    mx::unique_find search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search.get(), &found));
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
