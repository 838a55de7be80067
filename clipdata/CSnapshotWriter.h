// Writes one snapshot file so that it is complete or absent. The compound
// file is made under a temporary name and renamed to its own name only once
// it is whole, so a full disk or a killed process never leaves a half file
// under a name that the history lists. The temporary file goes into the
// folder's "writing" subfolder when there is one, else beside the snapshot:
// under Wine every new name costs a read of the whole folder it is made in,
// and a history folder holds thousands of files, so only the rename pays
// that there.
//
// The file is written front to back in large writes (CCompoundFileWriter):
// each format's block goes to the disk as it is written, so no second copy
// of a large block is held in memory. Small snapshots get 512-byte sectors,
// large ones 4096-byte sectors; both are ordinary compound files that
// StgOpenStorage opens.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Unique.h"

class CCompoundFileWriter;

class CSnapshotWriter {
public:
    // The temporary file's name is the snapshot's name with this appended.
    static const WCHAR kTemporarySuffix[];
    // The subfolder of the temporary files.
    static const WCHAR kTemporaryFolder[];
    // Snapshots of at least this many data bytes get 4096-byte sectors:
    // from here on they are written and read back a tenth quicker under
    // Wine (container_bench); below, they would only make the files larger
    // (20 KB at least, against 2.5 KB).
    static constexpr ULONGLONG kLargeSectorsFrom = 100 * 1024;

    // path: the snapshot's own path; dataBytes: about how much the streams
    // will hold, which chooses the sector size.
    CSnapshotWriter(const std::wstring& path, ULONGLONG dataBytes);
    // An uncommitted snapshot leaves nothing behind.
    ~CSnapshotWriter();
    CSnapshotWriter(const CSnapshotWriter&) = delete;
    CSnapshotWriter& operator=(const CSnapshotWriter&) = delete;

    // False when the temporary file could not be made.
    bool IsOpen() const { return m_writer != nullptr; }
    bool HasLargeSectors() const { return m_largeSectors; }
    // The stream of the named format, taking writes until EndStream; null
    // while another is open or when the name cannot be used.
    IStream* BeginStream(const WCHAR* name);
    // True when the stream is in the file. A stream not kept, or one whose
    // write failed, leaves nothing in the file.
    bool EndStream(bool keep);
    // Completes the file and gives it its own name. False leaves neither
    // file.
    bool Commit();

    // Removes the temporary files that a writer ended before its commit
    // (a killed process) left in the folder and its subfolder. A file still
    // being written is open without sharing and stays.
    // The extension names the kind of file whose temporary files go.
    static void RemoveLeftovers(const std::wstring& folder, const WCHAR* extension = L".dvlclip");
    // Makes the subfolder of the temporary files (done once per folder: the
    // writers only look for it).
    static void MakeTemporaryFolder(const std::wstring& folder);
    // The temporary file for the file at the path, new, open for writing
    // without sharing; its path in temporary. Invalid when neither place
    // takes it.
    static mx::unique_file CreateTemporary(const std::wstring& path, std::wstring* temporary);
    // Gives the whole temporary file, open in `file`, the name `path`
    // (replacing a file of that name) and closes it. False when it keeps
    // its temporary name.
    static bool PutInPlace(mx::unique_file& file, const std::wstring& temporary, const std::wstring& path);

    // Test seam: called on the writing thread while the temporary file
    // exists and is not yet complete, with its path.
    static void SetPauseHook(std::function<void(const WCHAR*)> hook);

private:
    void Pause() const;
    void Abandon();

    std::wstring m_path;
    std::wstring m_temporary;
    mx::unique_file m_file;
    std::unique_ptr<CCompoundFileWriter> m_writer;
    Microsoft::WRL::ComPtr<IStream> m_stream;
    bool m_largeSectors = false;
    bool m_committed = false;
};
