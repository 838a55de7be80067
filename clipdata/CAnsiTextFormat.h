// The registered 8-bit text formats ("HTML Format", "Rich Text Format"): the
// text up to and including its first NUL, stored as the clipboard holds it.
// They differ only in their row of the format table and their file type.
#pragma once
#include "clipdata/CHGLOBALTextformatBase.h"
#include "clipdata/FormatTable.h"

class CAnsiTextFormat : public CHGLOBALTextformatBase {
public:
    void GetStreamName(WCHAR* buffer) const override;
    bool LoadFromStream(IStream* stream) override;
    void AddSaveFormats(SaveFormatList& list) const override;
    bool SaveToFile(const SaveFormatEntry& entry, IStream* stream) const override;
    HRESULT QueryGetData(const FORMATETC* formatEtc) const override;
    HRESULT GetData(const FORMATETC* formatEtc, STGMEDIUM* medium, IStream* stream) const override;
    void AddFormatEtcs(IFormatEtcList& list) const override;
    UINT GetFormatId() const override;
    UINT BuildPreviewText(const BYTE* data, SIZE_T size) override;

protected:
    CAnsiTextFormat(FormatKind kind, SaveFormat saveFormat);

private:
    const FormatRow& m_row;
    SaveFormat m_saveFormat;
    UINT m_formatId;
};
