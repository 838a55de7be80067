#include "image/CxIOFile.h"

CxIOFile::CxIOFile(FILE* fp) : m_fp(fp), m_owned(false) {}

CxIOFile::~CxIOFile() { Close(); }

bool CxIOFile::Open(const WCHAR* filename, const WCHAR* mode) {
    Close();
    if (!filename || !mode) return false;
    m_fp = _wfopen(filename, mode);
    m_owned = m_fp != nullptr;
    return m_fp != nullptr;
}

bool CxIOFile::Close() {
    bool ok = true;
    if (m_fp && m_owned) ok = fclose(m_fp) == 0;
    m_fp = nullptr;
    m_owned = false;
    return ok;
}

size_t CxIOFile::Read(void* buffer, size_t size, size_t count) {
    if (!m_fp || !buffer || size == 0) return 0;
    return fread(buffer, size, count, m_fp);
}

size_t CxIOFile::Write(const void* buffer, size_t size, size_t count) {
    if (!m_fp || !buffer || size == 0) return 0;
    return fwrite(buffer, size, count, m_fp);
}

bool CxIOFile::Seek(int64_t offset, int origin) {
    return m_fp && _fseeki64(m_fp, offset, origin) == 0;
}

int64_t CxIOFile::Tell() {
    return m_fp ? _ftelli64(m_fp) : -1;
}

int64_t CxIOFile::Size() {
    if (!m_fp) return -1;
    int64_t pos = _ftelli64(m_fp);
    if (pos < 0 || _fseeki64(m_fp, 0, SEEK_END) != 0) return -1;
    int64_t size = _ftelli64(m_fp);
    _fseeki64(m_fp, pos, SEEK_SET);
    return size;
}

bool CxIOFile::Flush() { return m_fp && fflush(m_fp) == 0; }

bool CxIOFile::Eof() { return !m_fp || feof(m_fp) != 0; }

long CxIOFile::Error() { return m_fp ? ferror(m_fp) : -1; }

bool CxIOFile::PutC(unsigned char c) { return m_fp && fputc(c, m_fp) != EOF; }

long CxIOFile::GetC() {
    if (!m_fp) return -1;
    int c = getc(m_fp);
    return c == EOF ? -1 : c;
}
