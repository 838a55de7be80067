#include "clipdata/CAppendStream.h"

#include "clipdata/CCompoundFileWriter.h"

CAppendStream::CAppendStream(CCompoundFileWriter* writer) : m_writer(writer) {}

HRESULT CAppendStream::QueryInterface(REFIID riid, void** object) {
    return mx::query_interface(riid, object, {{IID_IStream, this}, {IID_ISequentialStream, this}});
}

HRESULT CAppendStream::Read(void*, ULONG, ULONG* read) {
    if (read) *read = 0;
    return STG_E_ACCESSDENIED;
}

// All or nothing: the writer reports a write that did not reach the file.
HRESULT CAppendStream::Write(const void* data, ULONG size, ULONG* written) {
    if (written) *written = 0;
    if (!data && size) return STG_E_INVALIDPOINTER;
    if (!m_writer->Write(data, size)) return STG_E_MEDIUMFULL;
    m_size += size;
    if (written) *written = size;
    return S_OK;
}

HRESULT CAppendStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) { return STG_E_INVALIDFUNCTION; }
HRESULT CAppendStream::SetSize(ULARGE_INTEGER) { return STG_E_INVALIDFUNCTION; }
HRESULT CAppendStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) {
    return STG_E_ACCESSDENIED;
}
HRESULT CAppendStream::Commit(DWORD) { return S_OK; }
HRESULT CAppendStream::Revert() { return S_OK; }
HRESULT CAppendStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return STG_E_INVALIDFUNCTION;
}
HRESULT CAppendStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
    return STG_E_INVALIDFUNCTION;
}

HRESULT CAppendStream::Stat(STATSTG* stat, DWORD) {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG();
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = m_size;
    stat->grfMode = STGM_WRITE;
    return S_OK;
}

HRESULT CAppendStream::Clone(IStream** stream) {
    if (stream) *stream = nullptr;
    return STG_E_INVALIDFUNCTION;
}
