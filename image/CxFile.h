// Byte-stream abstraction that every codec reads from and writes to, so the
// same decoder serves files on disk and blocks in memory (resources).
#pragma once
#include <cstddef>
#include <cstdint>

class CxFile {
public:
    virtual ~CxFile() {}
    // Reads up to count items of size bytes; answers the number of whole items.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin is SEEK_SET, SEEK_CUR or SEEK_END.
    virtual bool Seek(int64_t offset, int origin) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c) = 0;
    // The next byte, or -1 at the end.
    virtual long GetC() = 0;
};
