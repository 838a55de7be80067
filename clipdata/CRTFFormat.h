// The registered "Rich Text Format": 8-bit text up to and including its first NUL,
// stored as the clipboard holds it.
#pragma once
#include "clipdata/CHGLOBALTextformatBase.h"

class CRTFFormat : public CHGLOBALTextformatBase {
public:
    CRTFFormat();
    void GetStreamName(WCHAR* buffer) const override;
    bool LoadFromStream(IStream* stream) override;
    void AddSaveFormats(SaveFormatList& list) const override;
    bool SaveToFile(const SaveFormatEntry& entry, IStream* stream) const override;
    HRESULT QueryGetData(const FORMATETC* formatEtc) const override;
    HRESULT GetData(const FORMATETC* formatEtc, STGMEDIUM* medium, IStream* stream) const override;
    void AddFormatEtcs(IFormatEtcList& list) const override;
    UINT GetFormatId() const override;
    UINT BuildPreviewText(const BYTE* data, SIZE_T size) override;

private:
    UINT m_formatId;
};
