// The registered 8-bit text formats ("HTML Format", "Rich Text Format"): the
// text up to and including its first NUL, stored as the clipboard holds it.
// They differ only in their row of the format table and their file type.
#pragma once
#include <functional>
#include <string>

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

    // Appends `count` bytes of the text from `offset` to `out`; false when
    // they cannot be read.
    using TextReader = std::function<bool(size_t offset, size_t count, std::string& out)>;
    // A format whose preview is its text without markup replaces the
    // preview of the text's first characters here, at capture from the block
    // and at a reload from the stream, so both previews are one. `length`:
    // the text's bytes before its terminator.
    virtual void BuildTextPreview(size_t length, const TextReader& read);

private:
    const FormatRow& m_row;
    SaveFormat m_saveFormat;
    UINT m_formatId;
};
