// The file types a history entry can be saved as: the text the save dialog
// lists for each (through the language document), the extension it puts on
// the file name and the pattern of the file dialog's filter.
#pragma once
#include <windows.h>
#include <string>

class CZABEngine;

struct FileTypeRow {
    int code;                // a SaveFormat code
    const WCHAR* stringId;   // key of the localised text
    const WCHAR* text;       // English text
    const WCHAR* extension;  // "*.txt": used from its second character on
    const WCHAR* filter;     // "*.jpg;*.jpeg"
};

class CFileTypeTable {
public:
    // The row for a SaveFormat code, or none.
    static const FileTypeRow* Find(int code);
    // The row's text in the engine's language.
    static const WCHAR* Text(const FileTypeRow& row, const CZABEngine& engine);
    // The row's extension with its dot (".txt").
    static const WCHAR* Extension(const FileTypeRow& row);
    // `name` with the extension of its final component replaced by the
    // row's, or with the row's appended when it has none.
    static std::wstring ApplyExtension(const std::wstring& name, const FileTypeRow& row);
};
