// Writes a new compound file front to back in one pass of large writes: a
// stream's bytes go to the file as they come, and the mini stream, the
// directory, the allocation tables and the header follow once every stream
// is in. The platform's compound file library writes sector by sector and
// updates its tables in between, which under Wine costs many times a plain
// write of the same bytes. The result is an ordinary compound file
// (version 3 with 512-byte sectors or version 4 with 4096-byte sectors) that
// StgOpenStorage opens.
//
// Streams are written one after the other; only flat files are made (no
// sub-storages), which is all a snapshot holds.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CCompoundFileWriter {
public:
    static const unsigned kSmallSectorShift = 9;   // 512-byte sectors, version 3
    static const unsigned kLargeSectorShift = 12;  // 4096-byte sectors, version 4

    // The file is open for writing, empty, and stays the caller's.
    CCompoundFileWriter(HANDLE file, unsigned sectorShift);
    CCompoundFileWriter(const CCompoundFileWriter&) = delete;
    CCompoundFileWriter& operator=(const CCompoundFileWriter&) = delete;

    // Starts the next stream; false while another is open, for a name the
    // format cannot hold or one already used, or after a failed write.
    bool BeginStream(const WCHAR* name);
    // Appends to the open stream; false when the bytes did not all reach the
    // file (the stream should then be dropped).
    bool Write(const void* data, ULONG size);
    // Ends the open stream; true when it is in the file. A stream not kept,
    // or one that a write failed, is taken out of the file again, so that
    // the file holds only whole streams.
    bool EndStream(bool keep);
    // Writes the tables and the header. False leaves the file incomplete.
    bool Finish();

private:
    struct Entry {
        std::wstring name;
        uint32_t start;  // sector, or mini sector for a small stream
        uint64_t size;
        bool small;
    };
    // A run of consecutive sectors that the allocation table chains.
    struct Run {
        uint32_t start;
        uint32_t count;
    };

    uint32_t SectorSize() const { return 1u << m_shift; }
    uint64_t FileOffsetOfSector(uint32_t sector) const;
    bool Append(const void* data, size_t size);
    bool Flush();
    bool PadToSector();
    bool SpillToSectors();
    bool Truncate(uint64_t offset);
    bool WriteSectors(const std::vector<BYTE>& bytes, Run* run);
    bool WriteMiniFat(Run* run);
    bool WriteDirectory(const Run& miniStream, Run* run);
    bool WriteFatAndHeader(const Run& miniFat, const Run& directory);
    void BuildTree(std::vector<BYTE>& directory) const;
    static int CompareNames(const std::wstring& a, const std::wstring& b);

    HANDLE m_file;
    unsigned m_shift;
    bool m_failed = false;
    // Bytes handed to the file so far, and those waiting in the buffer.
    uint64_t m_flushed = 0;
    std::vector<BYTE> m_buffer;
    // Whole sectors behind the header, padding included.
    uint32_t m_sectors = 0;
    std::vector<Run> m_runs;
    std::vector<Entry> m_entries;
    std::vector<BYTE> m_miniStream;

    // The stream being written: its first bytes stay here until it is known
    // to outgrow the mini stream.
    bool m_open = false;
    bool m_spilled = false;
    bool m_streamFailed = false;
    Entry m_current;
    std::vector<BYTE> m_head;
};
