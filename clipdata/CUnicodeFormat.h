// CF_UNICODETEXT: the UTF-16 text up to and including its first NUL.
#pragma once
#include "clipdata/CHGLOBALTextformatBase.h"

class CUnicodeFormat : public CHGLOBALTextformatBase {
public:
    CUnicodeFormat();
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
    static bool Serves(const FORMATETC* formatEtc);
};
