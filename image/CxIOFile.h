// CxFile over a C runtime FILE*.
#pragma once
#include <windows.h>
#include <cstdio>
#include "image/CxFile.h"

class CxIOFile : public CxFile {
public:
    // Wraps an already open stream without taking ownership of it.
    explicit CxIOFile(FILE* fp = nullptr);
    ~CxIOFile() override;
    CxIOFile(const CxIOFile&) = delete;
    CxIOFile& operator=(const CxIOFile&) = delete;

    // Opens a file with _wfopen; the object then owns and closes it.
    bool Open(const WCHAR* filename, const WCHAR* mode);
    bool Close();
    FILE* GetFP() const { return m_fp; }

    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    int64_t Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;

private:
    FILE* m_fp;
    bool m_owned;
};
