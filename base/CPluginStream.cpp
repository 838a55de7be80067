#include "base/CPluginStream.h"
#include <cstring>
#include <new>

namespace {

// Data blocks carry this many hidden zero bytes so that ReadString never runs
// past a block, whatever its size (odd sizes need the third byte).
const size_t kDataPadding = 3;
// Without a known stream size, a block is read in pieces of this size, so a
// length field the stream cannot back costs at most one piece of memory.
const ULONG kChunk = 64 * 1024;

bool NamesEqual(const WCHAR* a, const WCHAR* b) {
    return ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// Reads from the host's stream, knowing how many bytes remain when the stream
// can tell its size and position. A stream of known size is read in one
// call: a call per field costs more than the field.
class HostReader {
public:
    explicit HostReader(IStream* stream) : m_stream(stream) {
        STATSTG stat = {};
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER pos = {};
        if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &pos)) &&
            stat.cbSize.QuadPart >= pos.QuadPart) {
            m_known = true;
            m_left = stat.cbSize.QuadPart - pos.QuadPart;
            Buffer();
        }
    }
    // The host's stream is left just past the records read, as field by
    // field reading leaves it.
    ~HostReader() {
        if (!m_buffered || m_at >= m_buffer.size()) return;
        LARGE_INTEGER back;
        back.QuadPart = -static_cast<LONGLONG>(m_buffer.size() - m_at);
        m_stream->Seek(back, STREAM_SEEK_CUR, nullptr);
    }
    HostReader(const HostReader&) = delete;
    HostReader& operator=(const HostReader&) = delete;

    bool Known() const { return m_known; }
    bool Holds(ULONGLONG bytes) const { return !m_known || bytes <= m_left; }

    // As many of `bytes` bytes as the stream gives, never past its known end.
    ULONG ReadUpTo(void* dst, ULONG bytes) {
        if (m_known && bytes > m_left) bytes = static_cast<ULONG>(m_left);
        ULONG got = 0;
        if (m_buffered) {
            std::memcpy(dst, m_buffer.data() + m_at, bytes);
            m_at += bytes;
            m_left -= bytes;
            return bytes;
        }
        if (bytes) m_stream->Read(dst, bytes, &got);
        if (got > bytes) got = bytes;
        m_left -= m_known ? got : 0;
        return got;
    }

    // Exactly `bytes` bytes, or false.
    bool Read(void* dst, ULONG bytes) { return Holds(bytes) && ReadUpTo(dst, bytes) == bytes; }

    bool ReadDword(DWORD* value) { return Read(value, sizeof(*value)); }

private:
    // What the stream holds, up to a size that memory takes easily.
    void Buffer() {
        if (m_left == 0 || m_left > kBufferedUpTo) return;
        try {
            m_buffer.resize(static_cast<size_t>(m_left));
        } catch (const std::bad_alloc&) {
            return;
        }
        ULONG got = 0;
        m_stream->Read(m_buffer.data(), static_cast<ULONG>(m_left), &got);
        m_left = got < m_left ? got : m_left;
        m_buffered = true;
    }

    static constexpr ULONGLONG kBufferedUpTo = 256ull * 1024 * 1024;
    IStream* m_stream;
    bool m_known = false;
    ULONGLONG m_left = 0;
    bool m_buffered = false;
    std::vector<BYTE> m_buffer;
    size_t m_at = 0;
};

// `bytes` bytes from the stream at the start of a zeroed array of `count`
// elements of T, or null when the stream does not hold them.
template <typename T>
std::unique_ptr<T[]> ReadBlock(HostReader& in, DWORD bytes, size_t count) {
    if (!in.Holds(bytes)) return nullptr;
    std::unique_ptr<T[]> block;
    if (in.Known()) {
        block.reset(new (std::nothrow) T[count]());
        if (!block || !in.Read(block.get(), bytes)) return nullptr;
        return block;
    }
    std::unique_ptr<BYTE[]> staged;
    DWORD got = 0;
    while (got < bytes) {
        ULONG piece = bytes - got < kChunk ? bytes - got : kChunk;
        std::unique_ptr<BYTE[]> grown(new (std::nothrow) BYTE[got + piece]);
        if (!grown) return nullptr;
        if (got) std::memcpy(grown.get(), staged.get(), got);
        if (!in.Read(grown.get() + got, piece)) return nullptr;
        staged = std::move(grown);
        got += piece;
    }
    block.reset(new (std::nothrow) T[count]());
    if (!block) return nullptr;
    if (bytes) std::memcpy(block.get(), staged.get(), bytes);
    return block;
}

bool WriteAll(IStream* stream, const void* data, ULONG bytes) {
    ULONG written = 0;
    return SUCCEEDED(stream->Write(data, bytes, &written)) && written == bytes;
}

std::unique_ptr<WCHAR[]> CopyName(const WCHAR* name) {
    size_t length = ::wcslen(name) + 1;
    std::unique_ptr<WCHAR[]> copy(new (std::nothrow) WCHAR[length]);
    if (copy) std::memcpy(copy.get(), name, length * sizeof(WCHAR));
    return copy;
}

}  // namespace

CPluginStream::CPluginStream() = default;
CPluginStream::~CPluginStream() = default;

BOOL CPluginStream::AppendRecord(Record&& record) {
    try {
        m_records.push_back(std::move(record));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CPluginStream::Append(const WCHAR* name, int type, const void* data, DWORD size) {
    if (!name) return FALSE;
    Record record;
    record.name = CopyName(name);
    if (!record.name) return FALSE;
    record.type = type;
    record.size = size;
    if (size) {
        record.data.reset(new (std::nothrow) BYTE[size + kDataPadding]());
        if (!record.data) return FALSE;
        std::memcpy(record.data.get(), data, size);
    }
    return AppendRecord(std::move(record));
}

BOOL CPluginStream::BeginGroup(const WCHAR* name) {
    int index = static_cast<int>(m_records.size());
    try {
        m_groups.reserve(m_groups.size() + 1);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    if (!Append(name, GroupBegin, nullptr, 0)) return FALSE;
    m_groups.push_back(index);
    return TRUE;
}

BOOL CPluginStream::EndGroup() {
    if (m_groups.empty()) return FALSE;
    int index = m_groups.back();
    if (!Append(m_records[index].name.get(), GroupEnd, &index, sizeof(index))) return FALSE;
    m_groups.pop_back();
    return TRUE;
}

BOOL CPluginStream::WriteInt(const WCHAR* name, int value) {
    return Append(name, Value, &value, sizeof(value));
}

BOOL CPluginStream::WriteWord(const WCHAR* name, WORD value) {
    return Append(name, Value, &value, sizeof(value));
}

BOOL CPluginStream::WriteString(const WCHAR* name, const WCHAR* text) {
    if (!text) return FALSE;
    DWORD size = static_cast<DWORD>((::wcslen(text) + 1) * sizeof(WCHAR));
    return Append(name, Value, text, size);
}

BOOL CPluginStream::WriteBinary(const WCHAR* name, const void* data, DWORD size) {
    if (!data) return FALSE;
    return Append(name, Value, data, size);
}

// One write of the whole stream: a host stream that grows with every small
// write may copy itself each time.
BOOL CPluginStream::WriteTo(IStream* stream) {
    if (!stream) return FALSE;
    std::vector<BYTE> out;
    try {
        size_t total = sizeof(DWORD);
        for (const Record& record : m_records)
            total += 4 * sizeof(DWORD) + (::wcslen(record.name.get()) + 1) * sizeof(WCHAR) + record.size;
        out.reserve(total);
        auto put = [&out](const void* data, size_t bytes) {
            const BYTE* in = static_cast<const BYTE*>(data);
            out.insert(out.end(), in, in + bytes);
        };
        DWORD count = static_cast<DWORD>(m_records.size());
        put(&count, sizeof(count));
        for (const Record& record : m_records) {
            DWORD nameBytes = static_cast<DWORD>((::wcslen(record.name.get()) + 1) * sizeof(WCHAR));
            DWORD type = static_cast<DWORD>(record.type);
            put(&nameBytes, sizeof(nameBytes));
            put(record.name.get(), nameBytes);
            put(&type, sizeof(type));
            put(&record.size, sizeof(record.size));
            if (record.size) put(record.data.get(), record.size);
        }
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return WriteAll(stream, out.data(), static_cast<ULONG>(out.size()));
}

BOOL CPluginStream::ReadFrom(IStream* stream) {
    if (!stream) return FALSE;
    HostReader in(stream);
    DWORD count = 0;
    ULONG got = in.ReadUpTo(&count, sizeof(count));
    // A stream with nothing in it holds no settings yet; that is not damage.
    if (got == 0) return TRUE;
    if (got != sizeof(count)) return FALSE;
    for (DWORD i = 0; i < count; ++i) {
        Record record;
        DWORD nameBytes = 0, type = 0;
        if (!in.ReadDword(&nameBytes)) return FALSE;
        // Room for an odd trailing byte and a terminator the stream may lack.
        record.name = ReadBlock<WCHAR>(in, nameBytes, (size_t(nameBytes) + 1) / 2 + 1);
        if (!record.name || !in.ReadDword(&type) || !in.ReadDword(&record.size)) return FALSE;
        record.type = static_cast<int>(type);
        if (record.size) {
            record.data = ReadBlock<BYTE>(in, record.size, size_t(record.size) + kDataPadding);
            if (!record.data) return FALSE;
        }
        if (!AppendRecord(std::move(record))) return FALSE;
    }
    return TRUE;
}

bool CPluginStream::IsEndOf(const Record& record, int scope) const {
    if (record.type != GroupEnd || record.size != sizeof(int)) return false;
    int begin = 0;
    std::memcpy(&begin, record.data.get(), sizeof(begin));
    return begin == scope;
}

int CPluginStream::Find(const WCHAR* name, bool groupsOnly) const {
    if (!name) return -1;
    int scope = m_groups.empty() ? -1 : m_groups.back();
    for (size_t i = static_cast<size_t>(scope + 1); i < m_records.size(); ++i) {
        const Record& record = m_records[i];
        if (IsEndOf(record, scope)) return -1;
        if (!NamesEqual(record.name.get(), name)) continue;
        if (!groupsOnly || record.type == GroupBegin) return static_cast<int>(i);
    }
    return -1;
}

const CPluginStream::Record* CPluginStream::FindValue(const WCHAR* name) const {
    int index = Find(name, false);
    if (index < 0 || m_records[index].type != Value) return nullptr;
    return &m_records[index];
}

BOOL CPluginStream::EnterGroup(const WCHAR* name) {
    int index = Find(name, true);
    if (index < 0) return FALSE;
    try {
        m_groups.push_back(index);
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CPluginStream::EnterGroupAt(DWORD index) {
    if (index >= m_records.size() || m_records[index].type != GroupBegin) return FALSE;
    try {
        m_groups.push_back(static_cast<int>(index));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CPluginStream::LeaveGroup() {
    if (m_groups.empty()) return FALSE;
    m_groups.pop_back();
    return TRUE;
}

int CPluginStream::ReadInt(const WCHAR* name, int defaultValue) {
    const Record* record = FindValue(name);
    if (!record || record->size != sizeof(int)) return defaultValue;
    int value = 0;
    std::memcpy(&value, record->data.get(), sizeof(value));
    return value;
}

WORD CPluginStream::ReadWord(const WCHAR* name, WORD defaultValue) {
    const Record* record = FindValue(name);
    if (!record || record->size != sizeof(WORD)) return defaultValue;
    WORD value = 0;
    std::memcpy(&value, record->data.get(), sizeof(value));
    return value;
}

const WCHAR* CPluginStream::ReadString(const WCHAR* name, const WCHAR* defaultValue) {
    const Record* record = FindValue(name);
    if (!record) return defaultValue;
    // An empty value has no block; callers still get a string, not null.
    if (!record->data) return L"";
    return reinterpret_cast<const WCHAR*>(record->data.get());
}

const void* CPluginStream::ReadBinary(const WCHAR* name, DWORD* size) {
    const Record* record = FindValue(name);
    if (size) *size = record ? record->size : 0;
    return record ? record->data.get() : nullptr;
}

DWORD CPluginStream::GetRecordCount() const { return static_cast<DWORD>(m_records.size()); }

const WCHAR* CPluginStream::GetRecordName(DWORD index) const {
    return index < m_records.size() ? m_records[index].name.get() : nullptr;
}

int CPluginStream::GetRecordType(DWORD index) const {
    return index < m_records.size() ? m_records[index].type : -1;
}

DWORD CPluginStream::GetRecordSize(DWORD index) const {
    return index < m_records.size() ? m_records[index].size : 0;
}

const void* CPluginStream::GetRecordData(DWORD index) const {
    return index < m_records.size() ? m_records[index].data.get() : nullptr;
}
