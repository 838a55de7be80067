#include "tests/ui/CGermanBarFolder.h"
#include <shlobj.h>
#include "tests/support/TestFiles.h"

CGermanBarFolder::CGermanBarFolder(const wchar_t* tag, const char* documentUnixPath) : m_folder(tag) {
    m_copied = SHCreateDirectoryExW(nullptr, m_folder.File(L"langs\\1031").c_str(), nullptr) == ERROR_SUCCESS &&
               CopyFileW(mxtest::WinePath(documentUnixPath).c_str(), Document().c_str(), FALSE);
    m_key.reset(new CHostKeyOverride(m_folder.File(L"dravelle.exe")));
}

// The class key goes back before the folder goes.
CGermanBarFolder::~CGermanBarFolder() { m_key.reset(); }
