// A new, empty file with a unique name in the user's temporary folder,
// deleted again when this object goes.
#pragma once
#include <windows.h>

class CTempFile {
public:
    explicit CTempFile(const WCHAR* prefix);
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    bool IsValid() const { return m_valid; }
    const WCHAR* GetPath() const { return m_path; }

private:
    WCHAR m_path[MAX_PATH];
    bool m_valid;
};
