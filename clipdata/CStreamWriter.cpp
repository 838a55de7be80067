#include "clipdata/CStreamWriter.h"

bool CStreamWriter::Write(const void* data, ULONG count) {
    if (!m_good) return false;
    const BYTE* in = static_cast<const BYTE*>(data);
    ULONG done = 0;
    while (done < count) {
        ULONG written = 0;
        HRESULT hr = m_stream->Write(in + done, count - done, &written);
        if (FAILED(hr) || written == 0) return m_good = false;
        done += written;
    }
    return true;
}

bool CStreamWriter::WriteUInt32(UINT32 value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return Write(bytes, 4);
}

bool CStreamWriter::WriteZeros(ULONG count) {
    static const BYTE zeros[16] = {};
    while (count && m_good) {
        ULONG chunk = count < sizeof(zeros) ? count : sizeof(zeros);
        Write(zeros, chunk);
        count -= chunk;
    }
    return m_good;
}
