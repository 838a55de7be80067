// Writes a format's stream and remembers whether every byte got there: a
// capture whose stream could not be written (full disk, read-only stream)
// must fail so that the snapshot drops the format.
#pragma once
#include <windows.h>
#include <objidl.h>

class CStreamWriter {
public:
    explicit CStreamWriter(IStream* stream) : m_stream(stream), m_good(stream != nullptr) {}

    bool Write(const void* data, ULONG count);
    bool WriteUInt32(UINT32 value);
    bool WriteZeros(ULONG count);
    bool IsGood() const { return m_good; }

private:
    IStream* m_stream;
    bool m_good;
};
