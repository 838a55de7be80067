// The stored clipboard formats, one row each: the clipboard id, the stream
// the format is stored in, what makes its object, and how an entry ranks it.
// The factory and the formats read it; it knows no format class (each
// format's maker is defined beside its class).
#pragma once
#include <windows.h>

class CClipboardFormat;

enum class FormatKind { Unicode, HDrop, Bitmap, HTML, RTF, AnsiText };

struct FormatRow {
    FormatKind kind;
    // A predefined format's id; 0 for a registered format, whose id is
    // registered under its stream name when it is first asked for.
    UINT predefinedId;
    const WCHAR* streamName;
    // A new, empty format object owned by the caller, or null; no maker: the
    // format is ranked but not stored.
    CClipboardFormat* (*make)();
    // The entry's kind icon: 0 none, 1 text, 2 files, 3 image.
    int iconRank;
    // Of an item's formats, the one with the lowest rank stands for it in
    // the preview and the description.
    int previewRank;
    // The tooltip's name for the format; empty for none.
    const WCHAR* displayName;
};

namespace FormatTable {

// The preview rank of a format that is not in the table.
constexpr int kUnlistedRank = 5;

const FormatRow& Row(FormatKind kind);
// The row of a clipboard id or (compared without case) of a stream name; null
// when none has it.
const FormatRow* FindById(UINT id);
const FormatRow* FindByName(const WCHAR* name);
UINT ClipboardId(const FormatRow& row);
inline UINT ClipboardId(FormatKind kind) { return ClipboardId(Row(kind)); }

}  // namespace FormatTable

CClipboardFormat* MakeUnicodeFormat();
CClipboardFormat* MakeHDropFormat();
CClipboardFormat* MakeBitmapFormat();
CClipboardFormat* MakeHTMLFormat();
CClipboardFormat* MakeRTFFormat();
