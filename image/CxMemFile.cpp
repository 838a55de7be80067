#include "image/CxMemFile.h"
#include <cstdio>
#include <cstring>

namespace {
// Keeps every position representable as int64_t and any size sane.
const size_t kMaxMemFile = size_t(1) << 31;
}

CxMemFile::CxMemFile(BYTE* buffer, size_t size)
    : m_data(buffer), m_size(buffer ? size : 0), m_capacity(buffer ? size : 0),
      m_pos(0), m_growable(buffer == nullptr), m_error(false) {}

CxMemFile::~CxMemFile() {}

bool CxMemFile::Reserve(size_t needed) {
    if (needed <= m_capacity) return true;
    if (!m_growable || needed > kMaxMemFile) return false;
    size_t capacity = m_capacity < 4096 ? 4096 : m_capacity;
    while (capacity < needed) capacity = capacity * 2 > kMaxMemFile ? kMaxMemFile : capacity * 2;
    BYTE* grown = static_cast<BYTE*>(std::realloc(m_owned.get(), capacity));
    if (!grown) return false;
    m_owned.release();
    m_owned.reset(grown);
    m_data = grown;
    m_capacity = capacity;
    return true;
}

size_t CxMemFile::Read(void* buffer, size_t size, size_t count) {
    if (!buffer || size == 0 || m_pos >= m_size) return 0;
    size_t items = (m_size - m_pos) / size;
    if (items > count) items = count;
    std::memcpy(buffer, m_data + m_pos, items * size);
    m_pos += items * size;
    return items;
}

size_t CxMemFile::Write(const void* buffer, size_t size, size_t count) {
    if (!buffer || size == 0 || count == 0) return 0;
    if (count > kMaxMemFile / size || m_pos > kMaxMemFile - size * count ||
        !Reserve(m_pos + size * count)) {
        m_error = true;
        return 0;
    }
    if (m_pos > m_size) std::memset(m_data + m_size, 0, m_pos - m_size);
    std::memcpy(m_data + m_pos, buffer, size * count);
    m_pos += size * count;
    if (m_pos > m_size) m_size = m_pos;
    return count;
}

bool CxMemFile::Seek(int64_t offset, int origin) {
    int64_t base;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<int64_t>(m_pos); break;
    case SEEK_END: base = static_cast<int64_t>(m_size); break;
    default: return false;
    }
    if ((offset < 0 && -offset > base) || (offset > 0 && offset > int64_t(kMaxMemFile) - base))
        return false;
    m_pos = static_cast<size_t>(base + offset);
    return true;
}

int64_t CxMemFile::Tell() { return static_cast<int64_t>(m_pos); }

int64_t CxMemFile::Size() { return static_cast<int64_t>(m_size); }

bool CxMemFile::Flush() { return true; }

bool CxMemFile::Eof() { return m_pos >= m_size; }

long CxMemFile::Error() { return m_error ? 1 : 0; }

bool CxMemFile::PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }

long CxMemFile::GetC() {
    if (m_pos >= m_size) return -1;
    return m_data[m_pos++];
}
