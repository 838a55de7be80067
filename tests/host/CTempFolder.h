// A fresh folder under %TEMP%, removed with everything in it at the end.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CTempFolder {
public:
    CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    ~CTempFolder();

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

    static bool ReadFile(const std::wstring& path, std::vector<BYTE>& bytes);
    static bool WriteFile(const std::wstring& path, const std::vector<BYTE>& bytes);
    static bool Exists(const std::wstring& path);

private:
    std::wstring m_path;
};
