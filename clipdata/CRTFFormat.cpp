#include "clipdata/CRTFFormat.h"

#include <cwchar>

namespace {
const WCHAR kName[] = L"Rich Text Format";
}

CRTFFormat::CRTFFormat()
    : CHGLOBALTextformatBase(1), m_formatId(RegisterClipboardFormatW(kName)) {}

void CRTFFormat::GetStreamName(WCHAR* buffer) const { wcscpy(buffer, kName); }

UINT CRTFFormat::GetFormatId() const { return m_formatId; }

UINT CRTFFormat::BuildPreviewText(const BYTE* data, SIZE_T size) {
    return BuildAnsiPreview(data, size);
}

bool CRTFFormat::LoadFromStream(IStream* stream) { return LoadAnsiPreview(stream); }

void CRTFFormat::AddSaveFormats(SaveFormatList& list) const { AddSaveFormat(list, SAVE_FORMAT_RTF); }

bool CRTFFormat::SaveToFile(const SaveFormatEntry& entry, IStream* stream) const {
    return SaveAnsiText(entry, stream);
}

HRESULT CRTFFormat::QueryGetData(const FORMATETC* formatEtc) const {
    TraceRequest(formatEtc);
    return CheckRequest(formatEtc, formatEtc && formatEtc->cfFormat == m_formatId);
}

HRESULT CRTFFormat::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium,
                              IStream* stream) const {
    return GetAnsiData(formatEtc, medium, stream);
}

void CRTFFormat::AddFormatEtcs(IFormatEtcList& list) const {
    list.AddFormatEtc(static_cast<CLIPFORMAT>(m_formatId), TYMED_HGLOBAL);
}
