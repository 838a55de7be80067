// The registered "Rich Text Format", saved as an RTF file.
#pragma once
#include "clipdata/CAnsiTextFormat.h"

class CRTFFormat : public CAnsiTextFormat {
public:
    CRTFFormat() : CAnsiTextFormat(FormatKind::RTF, SAVE_FORMAT_RTF) {}
};
