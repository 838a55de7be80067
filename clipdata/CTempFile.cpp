#include "clipdata/CTempFile.h"

CTempFile::CTempFile(const WCHAR* prefix) : m_path(), m_valid(false) {
    WCHAR folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) return;
    m_valid = GetTempFileNameW(folder, prefix, 0, m_path) != 0;
}

CTempFile::~CTempFile() {
    if (m_valid) DeleteFileW(m_path);
}
