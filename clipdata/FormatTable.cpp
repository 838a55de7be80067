#include "clipdata/FormatTable.h"

#include <atomic>
#include <iterator>

namespace {

const FormatRow kRows[] = {
    {FormatKind::Unicode, CF_UNICODETEXT, L"def-clip-unicode", MakeUnicodeFormat, 1, 1, L"Text"},
    {FormatKind::HDrop, CF_HDROP, L"def-clip-hdrop", MakeHDropFormat, 2, 2, L"Files"},
    {FormatKind::Bitmap, CF_DIB, L"def-clip-bitmap", MakeBitmapFormat, 3, 0, L"Image"},
    {FormatKind::HTML, 0, L"HTML Format", MakeHTMLFormat, 1, FormatTable::kUnlistedRank, L"HTML"},
    {FormatKind::RTF, 0, L"Rich Text Format", MakeRTFFormat, 1, FormatTable::kUnlistedRank, L"RTF"},
    // 8-bit text is not stored (the clipboard makes it from the UTF-16 text);
    // its name is the one every unnamed id gets.
    {FormatKind::AnsiText, CF_TEXT, L"clip#1", nullptr, 1, FormatTable::kUnlistedRank, L""},
};

// The registered formats' ids, by row; 0 until first asked for. Registering
// a name again answers the same id, so two threads may both register it.
std::atomic<UINT> g_registeredIds[std::size(kRows)];

}  // namespace

namespace FormatTable {

const FormatRow& Row(FormatKind kind) {
    for (const FormatRow& row : kRows)
        if (row.kind == kind) return row;
    return kRows[0];
}

UINT ClipboardId(const FormatRow& row) {
    if (row.predefinedId) return row.predefinedId;
    std::atomic<UINT>& id = g_registeredIds[&row - kRows];
    if (!id.load()) id = ::RegisterClipboardFormatW(row.streamName);
    return id.load();
}

const FormatRow* FindById(UINT id) {
    if (!id) return nullptr;
    for (const FormatRow& row : kRows)
        if (ClipboardId(row) == id) return &row;
    return nullptr;
}

const FormatRow* FindByName(const WCHAR* name) {
    if (!name) return nullptr;
    for (const FormatRow& row : kRows)
        if (::lstrcmpiW(row.streamName, name) == 0) return &row;
    return nullptr;
}

}  // namespace FormatTable
