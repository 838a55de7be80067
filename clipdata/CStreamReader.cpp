#include "clipdata/CStreamReader.h"

CStreamReader::CStreamReader(IStream* stream) : m_stream(stream) {
    STATSTG stat = {};
    if (!stream || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return;
    m_size = stat.cbSize.QuadPart;
    m_good = true;
    SeekTo(0);
}

bool CStreamReader::SeekTo(ULONGLONG offset) {
    if (!m_good || offset > m_size) return m_good = false;
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(offset);
    if (FAILED(m_stream->Seek(move, STREAM_SEEK_SET, nullptr))) return m_good = false;
    m_position = offset;
    return true;
}

bool CStreamReader::Skip(ULONGLONG count) {
    if (!m_good || count > Remaining()) return m_good = false;
    return SeekTo(m_position + count);
}

bool CStreamReader::Read(void* buffer, ULONG count) {
    if (!m_good || count > Remaining()) return m_good = false;
    BYTE* out = static_cast<BYTE*>(buffer);
    ULONG done = 0;
    while (done < count) {
        ULONG got = 0;
        HRESULT hr = m_stream->Read(out + done, count - done, &got);
        if (FAILED(hr) || got == 0) return m_good = false;
        done += got;
    }
    m_position += count;
    return true;
}

bool CStreamReader::ReadUInt32(UINT32& value) {
    BYTE bytes[4];
    if (!Read(bytes, 4)) return false;
    value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<UINT32>(bytes[3]) << 24;
    return true;
}

bool CStreamReader::ReadInt32(INT32& value) {
    UINT32 raw;
    if (!ReadUInt32(raw)) return false;
    value = static_cast<INT32>(raw);
    return true;
}

ULONGLONG CStreamReader::Remaining() const {
    return m_good && m_position <= m_size ? m_size - m_position : 0;
}
