// The registered "Rich Text Format", saved as an RTF file. Its preview is
// the document's text without control words.
#pragma once
#include "clipdata/CAnsiTextFormat.h"

class CRTFFormat : public CAnsiTextFormat {
public:
    CRTFFormat() : CAnsiTextFormat(FormatKind::RTF, SAVE_FORMAT_RTF) {}

protected:
    void BuildTextPreview(size_t length, const TextReader& read) override;
};
