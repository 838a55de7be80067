// A bar program's folder of its own for one test, with the German language
// document in "langs\\1031" beside it, and the bar's class key pointing at
// that program; everything is put back at the end.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "tests/support/CTempFolder.h"
#include "tests/ui/CHostKeyOverride.h"

class CGermanBarFolder {
public:
    // tag: how the folder's name under %TEMP% begins.
    CGermanBarFolder(const wchar_t* tag, const char* documentUnixPath);
    ~CGermanBarFolder();
    CGermanBarFolder(const CGermanBarFolder&) = delete;
    CGermanBarFolder& operator=(const CGermanBarFolder&) = delete;

    bool Ready() const { return m_key && m_key->Applied() && m_copied; }
    std::wstring Document() const { return m_folder.File(L"langs\\1031\\mirabex.xml"); }

private:
    mxtest::CTempFolder m_folder;
    bool m_copied = false;
    std::unique_ptr<CHostKeyOverride> m_key;
};
