// What the button's saved settings say about each history entry: the bar
// itself has no use for it, but a stand-in bar that prints the history can
// show each entry's capture time and lock next to the id it enumerated. The
// index is read from a settings stream the button has just written, in the
// stream layout the plug-in contract fixes (records in nested groups; the
// history under "clipboard", "items", "item0", "item1", ...).
#pragma once
#include <windows.h>
#include <objidl.h>
#include <string>
#include <vector>
#include "ui/IDvlButton.h"

class CHistoryIndex {
public:
    struct Entry {
        int id = 0;
        bool hasTime = false;
        SYSTEMTIME time{};  // UTC
        bool locked = false;
        std::wstring file;
    };

    // Asks the button for its settings and reads the index out of them.
    HRESULT ReadFrom(IDvlButton* button);
    // Reads the index out of a settings stream's bytes; false when they are
    // not a well-formed record list (entries read before the fault are kept).
    bool Parse(const std::vector<BYTE>& bytes);

    const std::vector<Entry>& Entries() const { return m_entries; }
    // Null when the index has no entry with the id.
    const Entry* Find(int id) const;

    // "2024-05-01 13:45:07 UTC"
    static std::wstring FormatTime(const SYSTEMTIME& time);

private:
    std::vector<Entry> m_entries;
};
