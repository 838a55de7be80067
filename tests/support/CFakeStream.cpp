#include "tests/support/CFakeStream.h"
#include "base/ComObject.h"

namespace mxtest {

HRESULT CFakeStream::QueryInterface(REFIID iid, void** out) {
    return mx::query_interface(iid, out, {{IID_IStream, this}, {IID_ISequentialStream, this}});
}

ULONG CFakeStream::AddRef() { return ++m_refs; }
ULONG CFakeStream::Release() { return m_refs > 0 ? --m_refs : 0; }
HRESULT CFakeStream::Read(void*, ULONG, ULONG* read) {
    if (read) *read = 0;
    return E_NOTIMPL;
}
HRESULT CFakeStream::Write(const void*, ULONG, ULONG* written) {
    if (written) *written = 0;
    return E_NOTIMPL;
}
HRESULT CFakeStream::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT CFakeStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT CFakeStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT CFakeStream::Commit(DWORD) { return E_NOTIMPL; }
HRESULT CFakeStream::Revert() { return E_NOTIMPL; }
HRESULT CFakeStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT CFakeStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT CFakeStream::Stat(STATSTG*, DWORD) { return E_NOTIMPL; }
HRESULT CFakeStream::Clone(IStream** clone) {
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
}

}  // namespace mxtest
