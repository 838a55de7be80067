// CxFile over a memory block: either a caller's block of fixed size (read,
// or overwrite in place), or a block of its own that grows as it is written.
#pragma once
#include <windows.h>
#include <cstdlib>
#include <memory>
#include "image/CxFile.h"

class CxMemFile : public CxFile {
public:
    // With a buffer: works on those size bytes and never frees them.
    // Without: starts empty and grows on Write.
    explicit CxMemFile(BYTE* buffer = nullptr, size_t size = 0);
    ~CxMemFile() override;
    CxMemFile(const CxMemFile&) = delete;
    CxMemFile& operator=(const CxMemFile&) = delete;

    // The current contents (Size() bytes); owned by this object.
    BYTE* GetBuffer() const { return m_data; }

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
    struct FreeDeleter { void operator()(BYTE* p) const { std::free(p); } };
    bool Reserve(size_t needed);

    std::unique_ptr<BYTE, FreeDeleter> m_owned;
    BYTE* m_data;
    size_t m_size;      // bytes of valid data
    size_t m_capacity;  // bytes available at m_data
    size_t m_pos;
    bool m_growable;
    bool m_error;
};
