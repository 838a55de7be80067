// CF_HDROP: the whole DROPFILES block, stored and restored as it is; the
// preview lists the first names, shortened.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
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

    // The names of a file-list block (a DROPFILES header and its names), in
    // full, at most `most` of them: each name whose terminator lies inside
    // the block, up to the empty name that ends the list.
    static std::vector<std::wstring> ReadNames(const BYTE* data, SIZE_T size, size_t most = SIZE_MAX);
};
