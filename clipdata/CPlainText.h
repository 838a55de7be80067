// The text an entry stands for without its markup: what a paste as plain
// text puts on the clipboard and what the history's search reads. Built
// from the blocks an item restores (or the clipboard gives).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "clipdata/FormatSummary.h"
#include "clipdata/RestoreBlock.h"

class CPlainText {
public:
    // "HTML Format": the document's text without tags, comments, scripts and
    // styles, entities decoded; UTF-8 (8-bit text of the ANSI code page when
    // it is no UTF-8).
    static std::wstring FromHtml(const char* data, size_t size);
    // Where the copied part of an "HTML Format" text of `length` bytes lies:
    // the fragment, else the document, where the header gives them soundly;
    // else from the first tag. `head` is the text's start (all of it or
    // less), where the header and the first tag are looked for.
    struct Range {
        size_t start;
        size_t end;
    };
    static Range HtmlPart(const std::string& head, size_t length);
    // The text of a piece of such a document. It reads only as far as it
    // takes to hold more than `limit` characters: of what it gives, the
    // first `limit` are those of the whole text.
    static std::wstring FromHtmlPart(const char* data, size_t size, size_t limit);
    // "Rich Text Format": the text without control words, groups that hold
    // no text (font and colour tables, pictures, ignorable destinations) and
    // braces; \par and \line become line breaks, \uN its character.
    static std::wstring FromRtf(const char* data, size_t size);
    // CF_HDROP: the paths, one a line.
    static std::wstring FromFileList(const BYTE* data, size_t size);

    // The plain text of the blocks, from the first that has one: Unicode
    // text, HTML, RTF, file list, ANSI text. False when none has text.
    static bool FromBlocks(const std::vector<RestoreBlock>& blocks, std::wstring* text);
    // What the search reads: the plain text, or for a picture its kind name
    // and size ("image 1920x1080").
    static std::wstring SearchText(const std::vector<RestoreBlock>& blocks);
    // One format's data wherever it lives (a clipboard block, a capture's
    // copy).
    struct Bytes {
        UINT format;
        const BYTE* data;
        size_t size;
    };
    static std::wstring SearchText(const std::vector<Bytes>& blocks);
    // True when an item of these stored formats has a plain text.
    static bool HasText(const std::vector<FormatSummary>& formats);
    // A CF_UNICODETEXT block of the text; null without memory.
    static HGLOBAL MakeUnicodeBlock(const std::wstring& text);
};
