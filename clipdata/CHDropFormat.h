// CF_HDROP: the whole DROPFILES block, stored and restored as it is; the
// preview lists the first names, shortened.
#pragma once
#include "clipdata/CHGLOBALTextformatBase.h"

class CHDropFormat : public CHGLOBALTextformatBase {
public:
    CHDropFormat();
    void GetStreamName(WCHAR* buffer) const override;
    bool LoadFromStream(IStream* stream) override;
    void AddSaveFormats(SaveFormatList& list) const override;
    bool SaveToFile(const SaveFormatEntry& entry, IStream* stream) const override;
    UINT GetFormatId() const override;
    UINT BuildPreviewText(const BYTE* data, SIZE_T size) override;
};
