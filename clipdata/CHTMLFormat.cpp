#include "clipdata/CHTMLFormat.h"

#include <cwchar>

namespace {
const WCHAR kName[] = L"HTML Format";
}

CHTMLFormat::CHTMLFormat()
    : CHGLOBALTextformatBase(1), m_formatId(RegisterClipboardFormatW(kName)) {}

void CHTMLFormat::GetStreamName(WCHAR* buffer) const { wcscpy(buffer, kName); }

UINT CHTMLFormat::GetFormatId() const { return m_formatId; }

UINT CHTMLFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    return BuildAnsiPreview(data, size);
}

bool CHTMLFormat::LoadFromStream(IStream* stream) { return LoadAnsiPreview(stream); }

void CHTMLFormat::AddSaveFormats(SaveFormatList& list) const { AddSaveFormat(list, SAVE_FORMAT_HTML); }

bool CHTMLFormat::SaveToFile(const SaveFormatEntry& entry, IStream* stream) const {
    return SaveAnsiText(entry, stream);
}

HRESULT CHTMLFormat::QueryGetData(const FORMATETC* formatEtc) const {
    TraceRequest(formatEtc);
    return CheckRequest(formatEtc, formatEtc && formatEtc->cfFormat == m_formatId);
}

HRESULT CHTMLFormat::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                              IStream* stream) const {
    return GetAnsiData(formatEtc, medium, stream);
}

void CHTMLFormat::AddFormatEtcs(IFormatEtcList& list) const {
    list.AddFormatEtc(static_cast<CLIPFORMAT>(m_formatId), TYMED_HGLOBAL);
}
