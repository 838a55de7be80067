// Makes the format objects by clipboard format id (capture) or by stream
// name (reload), names their streams, ranks them for the entry icon and picks
// the format that stands for a whole item, all from the format table.
#pragma once
#include <windows.h>
#include <string>

class CClipboardFormat;

class CFormatFactory {
public:
    CFormatFactory();

    // The stream name of a clipboard format: the fixed names of the stored
    // predefined formats, else the registered name, else "clip#<id>".
    // At most capacity - 1 characters and a NUL.
    void GetFormatName(UINT id, WCHAR* buffer, int capacity) const;
    // A new, empty format object owned by the caller, or null.
    CClipboardFormat* CreateFormat(UINT id) const;
    CClipboardFormat* CreateFormatByName(const WCHAR* name) const;
    // 0 none, 1 text, 2 files, 3 image.
    int GetFormatRank(const WCHAR* name) const;
    // The format whose preview and description stand for an item: b when it
    // comes earlier in the preference list than a, otherwise a.
    CClipboardFormat* PreferredFormat(CClipboardFormat* a, CClipboardFormat* b) const;
    // "Text", "HTML", "RTF", "Files", "Image", or empty.
    void GetDisplayName(const WCHAR* name, std::wstring& out) const;

    UINT GetHTMLId() const;
    UINT GetRTFId() const;

private:
    static int PreferencePosition(const CClipboardFormat* format);
};

// The library's one factory.
const CFormatFactory& FormatFactory();
