#include "clipdata/CAnsiTextFormat.h"

#include <cwchar>

#include "clipdata/CStreamReader.h"

namespace {

// Digest and N before the stored text.
const size_t kStoredHeader = 20;

}  // namespace

CAnsiTextFormat::CAnsiTextFormat(FormatKind kind, SaveFormat saveFormat)
    : CHGLOBALTextformatBase(1),
      m_row(FormatTable::Row(kind)),
      m_saveFormat(saveFormat),
      m_formatId(FormatTable::ClipboardId(m_row)) {}

void CAnsiTextFormat::GetStreamName(WCHAR* buffer) const { wcscpy(buffer, m_row.streamName); }

UINT CAnsiTextFormat::GetFormatId() const { return m_formatId; }

UINT CAnsiTextFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    // N counts the terminator, whether the block holds it or it is supplied.
    const UINT n = BuildAnsiPreview(data, size);
    const char* text = reinterpret_cast<const char*>(data);
    BuildTextPreview(n - 1, [text](size_t offset, size_t count, std::string& out) {
        out.append(text + offset, count);
        return true;
    });
    return n;
}

bool CAnsiTextFormat::LoadFromStream(IStream* stream) {
    if (!LoadAnsiPreview(stream)) return false;
    CStreamReader in(stream);
    UINT32 n = 0;
    if (!ReadStoredHeader(in, nullptr, n) || n == 0) return false;
    BuildTextPreview(n - 1, [&in](size_t offset, size_t count, std::string& out) {
        const size_t at = out.size();
        out.resize(at + count);
        return count == 0 || (in.SeekTo(kStoredHeader + offset) && in.Read(&out[at], static_cast<ULONG>(count)));
    });
    return true;
}

void CAnsiTextFormat::BuildTextPreview(size_t, const TextReader&) {}

void CAnsiTextFormat::AddSaveFormats(SaveFormatList& list) const { AddSaveFormat(list, m_saveFormat); }

bool CAnsiTextFormat::SaveToFile(const SaveFormatEntry& entry, IStream* stream) const {
    return SaveAnsiText(entry, stream);
}

HRESULT CAnsiTextFormat::QueryGetData(const FORMATETC* formatEtc) const {
    TraceRequest(formatEtc);
    return CheckRequest(formatEtc, formatEtc && formatEtc->cfFormat == m_formatId);
}

HRESULT CAnsiTextFormat::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                                 IStream* stream) const {
    return GetAnsiData(formatEtc, medium, stream);
}

void CAnsiTextFormat::AddFormatEtcs(IFormatEtcList& list) const {
    list.AddFormatEtc(static_cast<CLIPFORMAT>(m_formatId), TYMED_HGLOBAL);
}
