// The registered "HTML Format", saved as an HTML file.
#pragma once
#include "clipdata/CAnsiTextFormat.h"

class CHTMLFormat : public CAnsiTextFormat {
public:
    CHTMLFormat() : CAnsiTextFormat(FormatKind::HTML, SAVE_FORMAT_HTML) {}
};
