#include "clipdata/CClipboardFormat.h"

#include <cstring>

#include "base/Unique.h"

CClipboardFormat::CClipboardFormat() { std::memset(m_digest, 0, sizeof(m_digest)); }

CClipboardFormat::~CClipboardFormat() = default;

void CClipboardFormat::AppendDescription(std::wstring&) const {}

HRESULT CClipboardFormat::QueryGetData(const FORMATETC*) const { return E_INVALIDARG; }

HRESULT CClipboardFormat::GetData(const FORMATETC*, STGMEDIUM*, IStream*) const {
    return E_INVALIDARG;
}

void CClipboardFormat::AddFormatEtcs(IFormatEtcList&) const {}

bool CClipboardFormat::HasSameDigest(const CClipboardFormat& other) const {
    UINT64 mine[2], theirs[2];
    std::memcpy(mine, m_digest, sizeof(mine));
    std::memcpy(theirs, other.m_digest, sizeof(theirs));
    return mine[0] == theirs[0] && mine[1] == theirs[1];
}

void CClipboardFormat::AddSaveFormat(SaveFormatList& list, SaveFormat format) const {
    SaveFormatEntry entry = {};
    GetStreamName(entry.streamName);
    entry.streamName[255] = L'\0';
    entry.format = format;
    list.push_back(entry);
}

namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size) {
    const BYTE* in = static_cast<const BYTE*>(data);
    while (size) {
        DWORD written = 0;
        if (!WriteFile(file, in, size, &written, nullptr) || written == 0) return false;
        in += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool CClipboardFormat::WriteWholeFile(const WCHAR* path, const void* head, DWORD headSize,
                                      const void* data, DWORD dataSize) {
    bool written;
    {
        mx::unique_file file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        written = WriteAll(file.get(), head, headSize) && WriteAll(file.get(), data, dataSize);
    }
    if (!written) DeleteFileW(path);
    return written;
}

HANDLE CClipboardFormat::GetClipboardBlock(UINT format) {
    return IsClipboardFormatAvailable(format) ? GetClipboardData(format) : nullptr;
}

bool CClipboardFormat::CaptureClipboardBlock(UINT format, IStream* stream) {
    HANDLE handle = GetClipboardBlock(format);
    if (!handle) return false;
    mx::unique_hglobal_locked block(handle);
    if (!block || block.size() > kLargestBlock) return false;
    const BYTE* data = static_cast<const BYTE*>(block.get());
    return CaptureBlock(data, block.size()) && WriteBlock(data, block.size(), stream);
}

bool CClipboardFormat::RestoreFromStream(IStream* stream) {
    UINT format = 0;
    mx::unique_hglobal block(ReadRestoreBlock(stream, &format));
    if (!block || !SetClipboardData(format, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}

void CClipboardFormat::SetGlobalMedium(STGMEDIUM* medium, HGLOBAL block) {
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
}
