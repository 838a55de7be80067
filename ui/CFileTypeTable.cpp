#include "ui/CFileTypeTable.h"
#include <shlwapi.h>
#include "clipdata/SaveFormatEntry.h"
#include "zab/CZABEngine.h"

namespace {

const FileTypeRow kRows[] = {
    {SAVE_FORMAT_ANSI, L"IDS_SAVE_FORMAT_ANSI", L"Text (ANSI encoding)", L"*.txt", L"*.txt"},
    {SAVE_FORMAT_UNICODE, L"IDS_SAVE_FORMAT_UNICODE", L"Text (Unicode encoding)", L"*.txt", L"*.txt"},
    {SAVE_FORMAT_BITMAP, L"IDS_SAVE_FORMAT_BITMAP", L"Image (BMP format)", L"*.bmp", L"*.bmp"},
    {SAVE_FORMAT_JPEG, L"IDS_SAVE_FORMAT_JPEG", L"Image (JPEG format)", L"*.jpg", L"*.jpg;*.jpeg"},
    {SAVE_FORMAT_PNG, L"IDS_SAVE_FORMAT_PNG", L"Image (PNG format)", L"*.png", L"*.png"},
    {SAVE_FORMAT_HTML, L"IDS_SAVE_FORMAT_HTML", L"Text (HTML Format)", L"*.htm", L"*.htm;*.html"},
    {SAVE_FORMAT_RTF, L"IDS_SAVE_FORMAT_RTF", L"Text (RTF format)", L"*.rtf", L"*.rtf"},
};

}  // namespace

const FileTypeRow* CFileTypeTable::Find(int code) {
    for (const FileTypeRow& row : kRows)
        if (row.code == code) return &row;
    return nullptr;
}

const WCHAR* CFileTypeTable::Text(const FileTypeRow& row, const CZABEngine& engine) {
    return engine.GetString(row.stringId, nullptr, row.text);
}

const WCHAR* CFileTypeTable::Extension(const FileTypeRow& row) { return row.extension + 1; }

std::wstring CFileTypeTable::ApplyExtension(const std::wstring& name, const FileTypeRow& row) {
    const WCHAR* start = name.c_str();
    size_t keep = ::PathFindExtensionW(start) - start;
    return name.substr(0, keep) + Extension(row);
}
