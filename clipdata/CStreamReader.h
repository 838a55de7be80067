// Reads a format's stream without trusting it: every read must be satisfied
// completely, and nothing is read or skipped beyond the stream's size, so a
// stored count can be checked against what is really there before anything
// is allocated for it.
#pragma once
#include <windows.h>
#include <objidl.h>

class CStreamReader {
public:
    // Starts at the beginning of the stream.
    explicit CStreamReader(IStream* stream);

    bool SeekTo(ULONGLONG offset);
    bool Skip(ULONGLONG count);
    bool Read(void* buffer, ULONG count);
    bool ReadUInt32(UINT32& value);
    bool ReadInt32(INT32& value);
    // Bytes between the position and the end; 0 once a read has failed.
    ULONGLONG Remaining() const;
    bool IsGood() const { return m_good; }

private:
    IStream* m_stream;
    ULONGLONG m_size = 0;
    ULONGLONG m_position = 0;
    bool m_good = false;
};
