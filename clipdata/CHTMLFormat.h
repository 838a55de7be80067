// The registered "HTML Format", saved as an HTML file. Its preview is the
// text of the copied part without markup.
#pragma once
#include "clipdata/CAnsiTextFormat.h"

class CHTMLFormat : public CAnsiTextFormat {
public:
    CHTMLFormat() : CAnsiTextFormat(FormatKind::HTML, SAVE_FORMAT_HTML) {}

protected:
    void BuildTextPreview(size_t length, const TextReader& read) override;
};
