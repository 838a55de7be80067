// Writes one snapshot file so that it is complete or absent. The compound
// file is made under a temporary name in the same folder and renamed to its
// own name only once it is whole, so a full disk or a killed process never
// leaves a half file under a name that the history lists.
//
// Small snapshots are built in memory and written with one write; large
// ones go straight into the temporary file with 4096-byte sectors, so that
// no second copy of a large block is held in memory. Both are ordinary
// compound files that StgOpenStorage opens.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>

class CSnapshotWriter {
public:
    // The temporary file's name is the snapshot's name with this appended.
    static const WCHAR kTemporarySuffix[];
    // Snapshots of fewer data bytes are built in memory.
    static const ULONGLONG kInMemoryLimit = 2 * 1024 * 1024;

    // path: the snapshot's own path; dataBytes: about how much the streams
    // will hold, which chooses where the file is built.
    CSnapshotWriter(const std::wstring& path, ULONGLONG dataBytes);
    // An uncommitted snapshot leaves nothing behind.
    ~CSnapshotWriter();
    CSnapshotWriter(const CSnapshotWriter&) = delete;
    CSnapshotWriter& operator=(const CSnapshotWriter&) = delete;

    // The root storage to create the streams in; null when it could not be
    // made.
    IStorage* GetStorage() const { return m_storage.Get(); }
    bool IsInMemory() const { return m_lockBytes != nullptr; }
    // Commits the root, writes the file and gives it its own name. False
    // leaves neither file.
    bool Commit();

    // Removes the temporary files that a writer ended before its commit
    // (a killed process) left in the folder. A file still being written is
    // open without sharing and stays.
    static void RemoveLeftovers(const std::wstring& folder);

    // Test seam: called on the writing thread while the temporary file
    // exists and is not yet complete, with its path.
    static void SetPauseHook(std::function<void(const WCHAR*)> hook);

private:
    bool CreateInMemory();
    bool CreateOnDisk();
    bool WriteMemoryToFile();
    bool WriteAll(HANDLE file, const BYTE* data, ULONGLONG size);
    void Pause() const;
    void Abandon();

    std::wstring m_path;
    std::wstring m_temporary;
    Microsoft::WRL::ComPtr<ILockBytes> m_lockBytes;
    Microsoft::WRL::ComPtr<IStorage> m_storage;
    bool m_committed = false;
};
