#include "clipdata/CAnsiTextFormat.h"

#include <cwchar>

CAnsiTextFormat::CAnsiTextFormat(FormatKind kind, SaveFormat saveFormat)
    : CHGLOBALTextformatBase(1),
      m_row(FormatTable::Row(kind)),
      m_saveFormat(saveFormat),
      m_formatId(FormatTable::ClipboardId(m_row)) {}

void CAnsiTextFormat::GetStreamName(WCHAR* buffer) const { wcscpy(buffer, m_row.streamName); }

UINT CAnsiTextFormat::GetFormatId() const { return m_formatId; }

UINT CAnsiTextFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    return BuildAnsiPreview(data, size);
}

bool CAnsiTextFormat::LoadFromStream(IStream* stream) { return LoadAnsiPreview(stream); }

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
