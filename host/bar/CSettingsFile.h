// The file in which the bar keeps one button's settings stream: the stream's
// bytes, nothing else. It is replaced as a whole through a temporary file so
// that an interrupted save leaves the previous settings intact.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <string>
#include <vector>

class CSettingsFile {
public:
    // Larger files are refused rather than loaded.
    static constexpr ULONGLONG kMaxSize = 64ull * 1024 * 1024;

    explicit CSettingsFile(std::wstring path) : m_path(std::move(path)) {}

    // %APPDATA%\Dravelle\{clsid}.settings
    static std::wstring DefaultPath(const CLSID& clsid);

    const std::wstring& Path() const { return m_path; }
    // A missing file reads as empty (S_FALSE); any other failure is an error.
    HRESULT Read(std::vector<BYTE>& bytes) const;
    HRESULT Write(const std::vector<BYTE>& bytes) const;

    // A stream positioned at its start holding a copy of bytes.
    static HRESULT MakeStream(const std::vector<BYTE>& bytes, IStream** stream);
    // Everything the stream holds, from its start.
    static HRESULT ReadStream(IStream* stream, std::vector<BYTE>& bytes);

private:
    HRESULT WriteTemporary(const std::wstring& temporary, const std::vector<BYTE>& bytes) const;

    std::wstring m_path;
};
