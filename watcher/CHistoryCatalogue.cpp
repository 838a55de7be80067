#include "watcher/CHistoryCatalogue.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <mutex>

#include "clipdata/CMD5.h"
#include "clipdata/CSharedNames.h"
#include "clipdata/CSnapshotWriter.h"

// Layout, little-endian: "MXHC", version, flags, next id, queue size; the
// table of stream names (count, then each as a string); the entry count and
// the entries; the MD5 of all that. A string is a 16-bit length and as many
// UTF-16 units. An entry: id, flag bits (locked, has an icon, file named as
// the history names it, has a search text), time (SYSTEMTIME), the file name
// unless named so, the icon when there is one, the preview, the search text
// when there is one, the format count and per format its name's place in the
// table and its digest. Version 1 had no search texts.

namespace {

const char kMagic[4] = {'M', 'X', 'H', 'C'};
const DWORD kVersion = 2;
const DWORD kOldestVersion = 1;
const WCHAR kCatalogueExtension[] = L".dvlcat";
const WCHAR kOwnerExtension[] = L".dvlown";
const BYTE kLocked = 1, kHasIcon = 2, kOwnName = 4, kHasText = 8;

std::mutex g_hookGuard;
std::function<void()> g_pauseHook;

class Writer {
public:
    void Bytes(const void* data, size_t size) {
        const BYTE* in = static_cast<const BYTE*>(data);
        m_out.insert(m_out.end(), in, in + size);
    }
    template <typename T>
    void Plain(T value) { Bytes(&value, sizeof value); }
    void String(const WCHAR* text, size_t length) {
        length = std::min<size_t>(length, 0xFFFF);
        Plain(static_cast<WORD>(length));
        Bytes(text, length * sizeof(WCHAR));
    }
    void String(const std::wstring& text) { String(text.data(), text.size()); }
    void String(const WCHAR* text) { String(text, wcslen(text)); }
    std::vector<BYTE>& Out() { return m_out; }

private:
    std::vector<BYTE> m_out;
};

class Reader {
public:
    Reader(const BYTE* data, size_t size) : m_data(data), m_left(size) {}
    bool Bytes(void* out, size_t size) {
        if (size > m_left) return false;
        memcpy(out, m_data, size);
        m_data += size;
        m_left -= size;
        return true;
    }
    template <typename T>
    bool Plain(T* value) { return Bytes(value, sizeof *value); }
    bool String(std::wstring* text) {
        WORD length = 0;
        if (!Plain(&length) || size_t(length) * sizeof(WCHAR) > m_left) return false;
        // The text may start at an odd offset: copied as bytes, never read
        // through a misaligned WCHAR pointer.
        text->assign(length, L'\0');
        if (length) memcpy(&(*text)[0], m_data, size_t(length) * sizeof(WCHAR));
        m_data += size_t(length) * sizeof(WCHAR);
        m_left -= size_t(length) * sizeof(WCHAR);
        return true;
    }
    bool SkipString() {
        WORD length = 0;
        if (!Plain(&length) || size_t(length) * sizeof(WCHAR) > m_left) return false;
        m_data += size_t(length) * sizeof(WCHAR);
        m_left -= size_t(length) * sizeof(WCHAR);
        return true;
    }
    bool AtEnd() const { return m_left == 0; }

private:
    const BYTE* m_data;
    size_t m_left;
};

// True when the file is named "<prefix><id>.dvlclip", as the history names
// its snapshots.
bool HasOwnName(const WCHAR* file, const std::wstring& prefix, int id) {
    if (wcsncmp(file, prefix.c_str(), prefix.size()) != 0) return true;
    const WCHAR* digits = file + prefix.size();
    WCHAR* end = nullptr;
    const unsigned long number = wcstoul(digits, &end, 10);
    return end == digits || *digits == L'0' || number != static_cast<unsigned long>(id) ||
           wcscmp(end, L".dvlclip") != 0;
}

std::wstring SnapshotName(const CHistoryCatalogue::Ids& ids, int id) {
    WCHAR name[64];
    swprintf(name, 64, L"%X-%X-%X-%u.dvlclip", ids.id1, ids.id2, ids.id3, static_cast<unsigned>(id));
    return name;
}

bool WriteAll(HANDLE file, const BYTE* data, size_t size) {
    while (size) {
        DWORD piece = static_cast<DWORD>(std::min<size_t>(size, 1u << 24)), written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

bool ReadWhole(const std::wstring& path, std::vector<BYTE>* bytes) {
    mx::unique_file file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x40000000) return false;
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ReadFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) &&
           read == bytes->size();
}

void Pause() {
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> hold(g_hookGuard);
        hook = g_pauseHook;
    }
    if (hook) hook();
}

}  // namespace

CHistoryCatalogue::CHistoryCatalogue(const std::wstring& folder) : m_folder(folder) {}

CHistoryCatalogue::~CHistoryCatalogue() = default;

std::wstring CHistoryCatalogue::BaseName(const Ids& ids) {
    WCHAR name[64];
    swprintf(name, 64, L"%X-%X-%X", ids.id1, ids.id2, ids.id3);
    return name;
}

void CHistoryCatalogue::SetIds(const Ids& ids) {
    if (ids.id1 != m_ids.id1 || ids.id2 != m_ids.id2 || ids.id3 != m_ids.id3) m_owner.reset();
    m_ids = ids;
}

std::wstring CHistoryCatalogue::GetPath() const {
    return m_folder + L"\\" + BaseName(m_ids) + kCatalogueExtension;
}

bool CHistoryCatalogue::Exists() const {
    return GetFileAttributesW(GetPath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Delete-on-close: a store that ends, or a process that is killed, leaves
// no owner file behind.
bool CHistoryCatalogue::TakeOwnership() {
    if (m_owner) return true;
    const std::wstring path = m_folder + L"\\" + BaseName(m_ids) + kOwnerExtension;
    m_owner.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                              nullptr));
    return m_owner.is_valid();
}

bool CHistoryCatalogue::IsOwnedByAnother(const std::wstring& folder, const Ids& ids) {
    const std::wstring path = folder + L"\\" + BaseName(ids) + kOwnerExtension;
    mx::unique_file probe(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    return !probe && GetLastError() == ERROR_SHARING_VIOLATION;
}

CHistoryCatalogue::EntryView CHistoryCatalogue::View(const ItemSummary& entry) {
    return {entry.id,       entry.file.c_str(), entry.time,      entry.locked,
            entry.hasIcon ? entry.icon.c_str() : nullptr, &entry.preview, &entry.formats, nullptr};
}

CHistoryCatalogue::EntryView CHistoryCatalogue::View(const CClipboardItem& item) {
    return {item.GetId(), item.GetFileName(), item.GetTime(), item.IsLocked(), item.GetIcon(),
            &item.GetPreviewText(), &item.GetFormatSummaries(), nullptr};
}

// A history has a handful of stream names: a list beats a map here.
std::vector<BYTE> CHistoryCatalogue::Encode(const Ids& ids, DWORD flags, int nextId, int queueSize,
                                            const std::vector<EntryView>& entries) {
    // Equal stream names are one shared copy.
    std::vector<const WCHAR*> table;
    auto place = [&table](const WCHAR* name) {
        for (size_t i = 0; i < table.size(); ++i)
            if (table[i] == name) return static_cast<WORD>(i);
        table.push_back(name);
        return static_cast<WORD>(table.size() - 1);
    };
    for (const EntryView& entry : entries)
        for (const FormatSummary& format : *entry.formats) place(format.streamName);
    WCHAR prefix[48];
    swprintf(prefix, 48, L"%X-%X-%X-", ids.id1, ids.id2, ids.id3);
    const std::wstring ownPrefix = prefix;
    Writer out;
    out.Out().reserve(64 + entries.size() * 120);
    out.Bytes(kMagic, sizeof kMagic);
    out.Plain(kVersion);
    out.Plain(flags);
    out.Plain(static_cast<INT32>(nextId));
    out.Plain(static_cast<INT32>(queueSize));
    out.Plain(static_cast<DWORD>(table.size()));
    for (const WCHAR* name : table) out.String(name);
    out.Plain(static_cast<DWORD>(entries.size()));
    for (const EntryView& entry : entries) {
        const WCHAR* file = entry.file ? entry.file : L"";
        const bool ownName = HasOwnName(file, ownPrefix, entry.id);
        out.Plain(static_cast<INT32>(entry.id));
        out.Plain(static_cast<BYTE>((entry.locked ? kLocked : 0) | (entry.icon ? kHasIcon : 0) |
                                    (ownName ? kOwnName : 0) | (entry.text ? kHasText : 0)));
        out.Plain(entry.time);
        if (ownName) out.String(file);
        if (entry.icon) out.String(entry.icon);
        out.String(*entry.preview);
        if (entry.text) out.String(*entry.text);
        const std::vector<FormatSummary>& formats = *entry.formats;
        const size_t count = std::min<size_t>(formats.size(), 255);
        out.Plain(static_cast<BYTE>(count));
        for (size_t i = 0; i < count; ++i) {
            out.Plain(place(formats[i].streamName));
            out.Bytes(formats[i].digest, sizeof formats[i].digest);
        }
    }
    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(out.Out().data(), out.Out().size(), digest);
    out.Bytes(digest, sizeof digest);
    return std::move(out.Out());
}

bool CHistoryCatalogue::Decode(const Ids& ids, const BYTE* data, size_t size, Contents* contents,
                               Texts* texts) {
    if (size < sizeof kMagic + CMD5::DigestSize) return false;
    uint8_t digest[CMD5::DigestSize];
    CMD5::Compute(data, size - sizeof digest, digest);
    if (memcmp(digest, data + size - sizeof digest, sizeof digest) != 0) return false;
    Reader in(data, size - sizeof digest);
    char magic[4];
    DWORD flags = 0;
    DWORD version = 0, nameCount = 0, entryCount = 0;
    INT32 nextId = 0, queueSize = 0;
    if (!in.Bytes(magic, sizeof magic) || memcmp(magic, kMagic, sizeof magic) != 0 ||
        !in.Plain(&version) || version < kOldestVersion || version > kVersion ||
        !in.Plain(&flags) ||
        !in.Plain(&nextId) || !in.Plain(&queueSize) || !in.Plain(&nameCount))
        return false;
    std::vector<const WCHAR*> table(std::min<DWORD>(nameCount, 0x10000));
    if (table.size() != nameCount) return false;
    for (const WCHAR*& name : table) {
        std::wstring read;
        if (!in.String(&read)) return false;
        name = CSharedNames::Get(read.c_str());
    }
    if (!in.Plain(&entryCount)) return false;
    if (contents) {
        contents->flags = flags;
        contents->nextId = nextId;
        contents->queueSize = queueSize;
        contents->entries.clear();
        contents->entries.reserve(std::min<DWORD>(entryCount, static_cast<DWORD>(size / 20)));
    }
    // Without contents, one entry is read over and over: reading the texts
    // alone leaves no heap of freed entries behind.
    ItemSummary scratch;
    for (DWORD i = 0; i < entryCount; ++i) {
        ItemSummary fresh;
        ItemSummary& entry = contents ? fresh : scratch;
        INT32 id = 0;
        BYTE bits = 0, count = 0;
        if (!in.Plain(&id) || !in.Plain(&bits) || !in.Plain(&entry.time)) return false;
        entry.id = id;
        entry.locked = (bits & kLocked) != 0;
        entry.hasIcon = (bits & kHasIcon) != 0;
        if (bits & kOwnName) {
            if (!in.String(&entry.file)) return false;
        } else {
            entry.file = SnapshotName(ids, id);
        }
        if ((entry.hasIcon && !in.String(&entry.icon)) || !in.String(&entry.preview))
            return false;
        if (bits & kHasText) {
            const bool read = texts ? in.String(&(*texts)[id]) : in.SkipString();
            if (!read) return false;
        }
        if (!in.Plain(&count)) return false;
        entry.formats.resize(count);
        for (FormatSummary& format : entry.formats) {
            WORD name = 0;
            if (!in.Plain(&name) || name >= table.size() ||
                !in.Bytes(format.digest, sizeof format.digest))
                return false;
            format.streamName = table[name];
        }
        if (contents) contents->entries.push_back(std::move(fresh));
    }
    return in.AtEnd();
}

bool CHistoryCatalogue::Read(Contents* contents, Texts* texts) const {
    std::vector<BYTE> bytes;
    return ReadWhole(GetPath(), &bytes) && Decode(m_ids, bytes.data(), bytes.size(), contents, texts);
}

// The temporary file is held without sharing until it has its own name, so
// the cleanup of another store never takes it from under the writer.
bool CHistoryCatalogue::Write(const std::vector<BYTE>& bytes) {
    const std::wstring path = GetPath();
    std::wstring temporary;
    mx::unique_file file = CSnapshotWriter::CreateTemporary(path, &temporary);
    if (!file) return false;
    const size_t half = bytes.size() / 2;
    bool written = WriteAll(file.get(), bytes.data(), half);
    if (written) Pause();
    written = written && WriteAll(file.get(), bytes.data() + half, bytes.size() - half);
    if (written && CSnapshotWriter::PutInPlace(file, temporary, path)) return true;
    file.reset();
    DeleteFileW(temporary.c_str());
    return false;
}

bool CHistoryCatalogue::FindUnsaved(const std::wstring& folder, Ids* ids) {
    WIN32_FIND_DATAW found;
    mx::unique_find search(FindFirstFileW((folder + L"\\*" + kCatalogueExtension).c_str(), &found));
    if (!search) return false;
    bool any = false;
    FILETIME newest = {};
    do {
        Ids candidate;
        WCHAR tail[16] = {};
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ||
            swscanf(found.cFileName, L"%lX-%lX-%lX%15ls", &candidate.id1, &candidate.id2,
                    &candidate.id3, tail) != 4 ||
            lstrcmpiW(tail, kCatalogueExtension) != 0 || IsOwnedByAnother(folder, candidate))
            continue;
        if (any && CompareFileTime(&found.ftLastWriteTime, &newest) <= 0) continue;
        CHistoryCatalogue catalogue(folder);
        catalogue.SetIds(candidate);
        Contents contents;
        if (!catalogue.Read(&contents) || (contents.flags & (kSavedByHost | kClosedUnsaved)) ||
            contents.entries.empty())
            continue;
        *ids = candidate;
        newest = found.ftLastWriteTime;
        any = true;
    } while (FindNextFileW(search.get(), &found));
    return any;
}

void CHistoryCatalogue::RemoveLeftovers(const std::wstring& folder) {
    CSnapshotWriter::RemoveLeftovers(folder, kCatalogueExtension);
}

void CHistoryCatalogue::SetPauseHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> hold(g_hookGuard);
    g_pauseHook = std::move(hook);
}
