// A fresh folder under the temporary folder, removed with everything in it
// at the end.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace mxtest {

class CTempFolder {
public:
    // tag starts the folder's name, to tell the test programs' folders apart.
    explicit CTempFolder(const wchar_t* tag = L"mxtest");
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }
    // Names of the files in the folder (not of folders).
    std::set<std::wstring> Files() const;
    // Writes a file in the folder; answers its path, or an empty string.
    std::wstring Write(const std::wstring& name, const std::vector<BYTE>& bytes) const;

private:
    std::wstring m_path;
};

}  // namespace mxtest
