#include "clipdata/CCompoundFileWriter.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

const uint32_t kFreeSector = 0xFFFFFFFFu;
const uint32_t kEndOfChain = 0xFFFFFFFEu;
const uint32_t kFatSector = 0xFFFFFFFDu;
const uint32_t kDifatSector = 0xFFFFFFFCu;
const uint32_t kNoStream = 0xFFFFFFFFu;

// Streams shorter than this live in the mini stream, in 64-byte mini sectors.
const uint32_t kMiniCutoff = 4096;
const uint32_t kMiniSectorSize = 64;
const uint32_t kEntrySize = 128;
const size_t kNameChars = 31;  // 32 with the terminator
// Sector locations of the first allocation table sectors, in the header.
const uint32_t kHeaderDifat = 109;
const size_t kHeaderSize = 512;

// Smaller writes are gathered; larger ones go to the file straight from the
// caller's memory.
const size_t kBufferSize = 1024 * 1024;
// One write call moves at most this much.
const DWORD kWriteChunk = 16 * 1024 * 1024;

const BYTE kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

enum : BYTE { kTypeStream = 2, kTypeRoot = 5 };
enum : BYTE { kRed = 0, kBlack = 1 };

void Put16(BYTE* at, uint16_t value) { std::memcpy(at, &value, 2); }
void Put32(BYTE* at, uint32_t value) { std::memcpy(at, &value, 4); }
void Put64(BYTE* at, uint64_t value) { std::memcpy(at, &value, 8); }

uint32_t Count(uint64_t bytes, uint32_t unit) { return static_cast<uint32_t>((bytes + unit - 1) / unit); }

bool WriteAll(HANDLE file, const BYTE* data, size_t size) {
    while (size) {
        const DWORD chunk = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool Seek(HANDLE file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

// One directory entry; the tree links and the colour come later.
void PutEntry(BYTE* at, const std::wstring& name, BYTE type, uint32_t start, uint64_t size) {
    std::memcpy(at, name.c_str(), name.size() * sizeof(WCHAR));
    Put16(at + 64, static_cast<uint16_t>((name.size() + 1) * sizeof(WCHAR)));
    at[66] = type;
    at[67] = kBlack;
    Put32(at + 68, kNoStream);
    Put32(at + 72, kNoStream);
    Put32(at + 76, kNoStream);
    Put32(at + 116, start);
    Put64(at + 120, size);
}

}  // namespace

CCompoundFileWriter::CCompoundFileWriter(HANDLE file, unsigned sectorShift)
    : m_file(file), m_shift(sectorShift == kLargeSectorShift ? kLargeSectorShift : kSmallSectorShift) {
    // The header's place; the header itself is written last.
    m_buffer.reserve(kBufferSize);
    m_buffer.assign(SectorSize(), 0);
}

uint64_t CCompoundFileWriter::FileOffsetOfSector(uint32_t sector) const {
    return (static_cast<uint64_t>(sector) + 1) << m_shift;
}

bool CCompoundFileWriter::BeginStream(const WCHAR* name) {
    if (m_failed || m_open || !name || !*name || wcslen(name) > kNameChars) return false;
    for (const Entry& entry : m_entries)
        if (CompareNames(entry.name, name) == 0) return false;
    m_current = Entry{name, kEndOfChain, 0, true};
    m_head.clear();
    m_spilled = false;
    m_streamFailed = false;
    m_open = true;
    return true;
}

bool CCompoundFileWriter::Write(const void* data, ULONG size) {
    if (!m_open || m_failed || m_streamFailed) return false;
    const BYTE* bytes = static_cast<const BYTE*>(data);
    if (!m_spilled && m_current.size + size < kMiniCutoff) {
        m_head.insert(m_head.end(), bytes, bytes + size);
    } else if ((!m_spilled && !SpillToSectors()) || !Append(bytes, size)) {
        m_streamFailed = true;
        return false;
    }
    m_current.size += size;
    return true;
}

// The stream outgrew the mini stream: it takes whole sectors from here on.
bool CCompoundFileWriter::SpillToSectors() {
    m_spilled = true;
    m_current.small = false;
    m_current.start = m_sectors;
    const bool written = Append(m_head.data(), m_head.size());
    std::vector<BYTE>().swap(m_head);
    return written;
}

bool CCompoundFileWriter::EndStream(bool keep) {
    if (!m_open) return false;
    m_open = false;
    keep = keep && !m_streamFailed;
    if (keep && !m_spilled) {
        if (m_current.size) {
            m_current.start = static_cast<uint32_t>(m_miniStream.size() / kMiniSectorSize);
            m_miniStream.insert(m_miniStream.end(), m_head.begin(), m_head.end());
            m_miniStream.resize(Count(m_miniStream.size(), kMiniSectorSize) * kMiniSectorSize, 0);
        }
        m_entries.push_back(m_current);
        return true;
    }
    // A kept stream is on the disk before it counts: a full disk then costs
    // only this stream.
    if (keep && PadToSector() && Flush()) {
        const uint32_t count = Count(m_current.size, SectorSize());
        m_runs.push_back(Run{m_current.start, count});
        m_sectors += count;
        m_entries.push_back(m_current);
        return true;
    }
    if (m_spilled && !Truncate(FileOffsetOfSector(m_current.start))) m_failed = true;
    return false;
}

bool CCompoundFileWriter::Append(const void* data, size_t size) {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    if (m_buffer.size() + size > kBufferSize) {
        if (!Flush()) return false;
        if (size >= kBufferSize) {
            if (!WriteAll(m_file, bytes, size)) return false;
            m_flushed += size;
            return true;
        }
    }
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    return true;
}

bool CCompoundFileWriter::Flush() {
    if (m_buffer.empty()) return true;
    if (!WriteAll(m_file, m_buffer.data(), m_buffer.size())) return false;
    m_flushed += m_buffer.size();
    m_buffer.clear();
    return true;
}

bool CCompoundFileWriter::PadToSector() {
    const uint64_t position = m_flushed + m_buffer.size();
    const size_t pad = static_cast<size_t>((SectorSize() - position % SectorSize()) % SectorSize());
    static const BYTE zeros[4096] = {};
    return Append(zeros, pad);
}

// Gives back everything from the offset on, whether still in the buffer or
// already in the file (a failed write may have left part of it there).
bool CCompoundFileWriter::Truncate(uint64_t offset) {
    if (offset >= m_flushed) {
        m_buffer.resize(static_cast<size_t>(offset - m_flushed));
    } else {
        m_buffer.clear();
        m_flushed = offset;
    }
    return Seek(m_file, m_flushed) && SetEndOfFile(m_file);
}

bool CCompoundFileWriter::WriteSectors(const std::vector<BYTE>& bytes, Run* run) {
    *run = Run{m_sectors, Count(bytes.size(), SectorSize())};
    if (!Append(bytes.data(), bytes.size()) || !PadToSector()) return false;
    m_sectors += run->count;
    m_runs.push_back(*run);
    return true;
}

bool CCompoundFileWriter::Finish() {
    if (m_open || m_failed) return false;
    Run miniStream{kEndOfChain, 0}, miniFat{kEndOfChain, 0}, directory{kEndOfChain, 0};
    if (!m_miniStream.empty() &&
        (!WriteSectors(m_miniStream, &miniStream) || !WriteMiniFat(&miniFat)))
        return false;
    return WriteDirectory(miniStream, &directory) && WriteFatAndHeader(miniFat, directory);
}

// Each small stream holds consecutive mini sectors.
bool CCompoundFileWriter::WriteMiniFat(Run* run) {
    const uint32_t perSector = SectorSize() / 4;
    const uint32_t miniSectors = Count(m_miniStream.size(), kMiniSectorSize);
    std::vector<uint32_t> table(Count(miniSectors, perSector) * perSector, kFreeSector);
    for (const Entry& entry : m_entries) {
        if (!entry.small || entry.size == 0) continue;
        const uint32_t count = Count(entry.size, kMiniSectorSize);
        for (uint32_t i = 0; i < count; ++i)
            table[entry.start + i] = i + 1 < count ? entry.start + i + 1 : kEndOfChain;
    }
    std::vector<BYTE> bytes(table.size() * 4);
    std::memcpy(bytes.data(), table.data(), bytes.size());
    return WriteSectors(bytes, run);
}

bool CCompoundFileWriter::WriteDirectory(const Run& miniStream, Run* run) {
    const size_t entries = m_entries.size() + 1;
    std::vector<BYTE> bytes(Count(entries * kEntrySize, SectorSize()) * SectorSize(), 0);
    for (size_t at = 0; at < bytes.size(); at += kEntrySize) {
        Put32(&bytes[at + 68], kNoStream);
        Put32(&bytes[at + 72], kNoStream);
        Put32(&bytes[at + 76], kNoStream);
    }
    PutEntry(&bytes[0], L"Root Entry", kTypeRoot, miniStream.start, m_miniStream.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        PutEntry(&bytes[(i + 1) * kEntrySize], entry.name, kTypeStream, entry.start, entry.size);
    }
    BuildTree(bytes);
    return WriteSectors(bytes, run);
}

// The streams hang below the root entry as a red-black tree ordered by
// name. Built from the sorted names by halving, every level but the deepest
// is full, so the deepest level red and the rest black keeps the rules.
void CCompoundFileWriter::BuildTree(std::vector<BYTE>& directory) const {
    std::vector<uint32_t> order(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i + 1);
    std::sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
        return CompareNames(m_entries[a - 1].name, m_entries[b - 1].name) < 0;
    });
    std::vector<int> depth(m_entries.size() + 1, 0);
    int deepest = 0;
    std::function<uint32_t(size_t, size_t, int)> build = [&](size_t low, size_t high, int level) {
        if (low >= high) return kNoStream;
        const size_t middle = (low + high) / 2;
        const uint32_t id = order[middle];
        depth[id] = level;
        deepest = std::max(deepest, level);
        Put32(&directory[id * kEntrySize + 68], build(low, middle, level + 1));
        Put32(&directory[id * kEntrySize + 72], build(middle + 1, high, level + 1));
        return id;
    };
    Put32(&directory[76], build(0, order.size(), 0));
    for (uint32_t id : order)
        directory[id * kEntrySize + 67] = depth[id] == deepest && deepest > 0 ? kRed : kBlack;
}

// Shorter names come first; names of one length compare without case.
int CCompoundFileWriter::CompareNames(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const WCHAR x = static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(
            CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(a[i])))));
        const WCHAR y = static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(
            CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(b[i])))));
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

// The allocation table covers every sector, its own and those of the
// table's continuation (when more than the header's 109 table sectors are
// needed) included; the header goes to the front last.
bool CCompoundFileWriter::WriteFatAndHeader(const Run& miniFat, const Run& directory) {
    const uint32_t perSector = SectorSize() / 4;
    const uint32_t data = m_sectors;
    uint32_t fat = 0, difat = 0;
    for (;;) {
        const uint32_t nextFat = Count(uint64_t(data) + fat + difat, perSector);
        const uint32_t nextDifat =
            nextFat > kHeaderDifat ? Count(nextFat - kHeaderDifat, perSector - 1) : 0;
        if (nextFat == fat && nextDifat == difat) break;
        fat = nextFat;
        difat = nextDifat;
    }
    std::vector<uint32_t> table(size_t(fat) * perSector, kFreeSector);
    for (const Run& run : m_runs)
        for (uint32_t i = 0; i < run.count; ++i)
            table[run.start + i] = i + 1 < run.count ? run.start + i + 1 : kEndOfChain;
    for (uint32_t i = 0; i < fat; ++i) table[data + i] = kFatSector;
    for (uint32_t i = 0; i < difat; ++i) table[data + fat + i] = kDifatSector;

    std::vector<uint32_t> continuation(size_t(difat) * perSector, kFreeSector);
    for (uint32_t k = 0; k < difat; ++k) {
        for (uint32_t j = 0; j + 1 < perSector; ++j) {
            const uint32_t index = kHeaderDifat + k * (perSector - 1) + j;
            if (index < fat) continuation[k * perSector + j] = data + index;
        }
        continuation[k * perSector + perSector - 1] =
            k + 1 < difat ? data + fat + k + 1 : kEndOfChain;
    }
    if (!Append(table.data(), table.size() * 4) ||
        !Append(continuation.data(), continuation.size() * 4) || !Flush())
        return false;

    BYTE header[kHeaderSize] = {};
    std::memcpy(header, kSignature, sizeof kSignature);
    Put16(header + 24, 0x003E);
    Put16(header + 26, m_shift == kLargeSectorShift ? 4 : 3);
    Put16(header + 28, 0xFFFE);
    Put16(header + 30, static_cast<uint16_t>(m_shift));
    Put16(header + 32, 6);
    Put32(header + 40, m_shift == kLargeSectorShift ? directory.count : 0);
    Put32(header + 44, fat);
    Put32(header + 48, directory.start);
    Put32(header + 56, kMiniCutoff);
    Put32(header + 60, miniFat.start);
    Put32(header + 64, miniFat.count);
    Put32(header + 68, difat ? data + fat : kEndOfChain);
    Put32(header + 72, difat);
    for (uint32_t i = 0; i < kHeaderDifat; ++i)
        Put32(header + 76 + 4 * i, i < fat ? data + i : kFreeSector);
    return Seek(m_file, 0) && WriteAll(m_file, header, sizeof header);
}
