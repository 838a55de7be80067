#include "clipdata/CClipboardItem.h"

#include <wrl/client.h>

#include <algorithm>
#include <cwchar>
#include <new>

#include "base/CPluginStream.h"
#include "base/CScopedClipboard.h"
#include "base/ExceptionBarrier.h"
#include "base/Unique.h"
#include "clipdata/CBitmapFormat.h"
#include "clipdata/CCaptureProfile.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CFormatFactory.h"
#include "clipdata/CHGLOBALTextformatBase.h"
#include "clipdata/CPlainText.h"
#include "clipdata/CSharedNames.h"
#include "clipdata/CSnapshotWriter.h"
#include "zab/CZABEngine.h"

using Microsoft::WRL::ComPtr;

namespace {

const DWORD kOpenFile = STGM_READ | STGM_SHARE_DENY_WRITE;
const DWORD kOpenStream = STGM_READ | STGM_SHARE_EXCLUSIVE;

// Room a format needs beyond its data: the compound file's sector tables
// grow with it, and the file's header and directory need a little more.
const ULONGLONG kSpareBytes = 256 * 1024;
// Smaller snapshots are written without asking for the free space first: a
// write that finds the disk full costs only its own stream.
const ULONGLONG kRoomAskedFrom = 1024 * 1024;

// The formats a capture looks at, in the clipboard's order. Counting them
// first is no help: under Wine the count waits while another program holds
// the clipboard open.
const size_t kMaxFormats = 256;
// Characters of the main format's text that an item keeps beside its
// formats, for lists of many entries.
const size_t kPreviewChars = 40;

ULONGLONG TicksOf(const SYSTEMTIME& time) {
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return (ULONGLONG(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// A stored file name must stay inside the history folder: the item deletes
// that file one day.
bool IsPlainFileName(const WCHAR* name) {
    if (!name || !*name || wcslen(name) >= MAX_PATH) return false;
    if (!wcscmp(name, L".") || !wcscmp(name, L"..")) return false;
    return !wcspbrk(name, L"\\/:");
}

// The registered format's block, when the clipboard holds one of at least
// four bytes, read as a DWORD.
bool ReadClipboardDword(UINT format, DWORD* value) {
    HANDLE handle = GetClipboardData(format);
    if (!handle) return false;
    mx::unique_hglobal_locked block(handle);
    if (!block || block.size() < sizeof(DWORD)) return false;
    *value = *static_cast<const DWORD*>(block.get());
    return true;
}

}  // namespace

std::atomic<long> CClipboardItem::s_snapshotOpens{0};
std::atomic<ULONGLONG> CClipboardItem::s_useClock{0};

CClipboardItem::CClipboardItem(CObClipboard* owner, const WCHAR* folder, const WCHAR* file,
                               int id)
    : m_folder(CSharedNames::Get(folder)), m_id(id), m_owner(owner) {
    if (file) m_file = file;
}

CClipboardItem::~CClipboardItem() { FinishDeletion(); }

LONG CClipboardItem::AddRef() { return ++m_refCount; }

LONG CClipboardItem::Release() {
    LONG count = --m_refCount;
    if (count <= 0) {
        delete this;
        return 0;
    }
    return count;
}

// Made when needed: a history of many entries keeps no path per entry.
std::wstring CClipboardItem::GetPath() const {
    if (!*m_folder || m_file.empty()) return std::wstring();
    std::wstring path = m_folder;
    if (path.back() != L'\\') path += L'\\';
    return path + m_file;
}

BOOL CClipboardItem::DeleteFile() {
    if (!*m_folder || m_file.empty()) return FALSE;
    int present = FilePresent;
    m_fileState.compare_exchange_strong(present, FileDeletePending);
    FinishDeletion();
    return m_fileState == FileDeleted;
}

// The file goes exactly once: after the deletion, a new snapshot may take the
// same name, and this item must never touch it. A file that another program
// holds open stays asked for; while it is on the disk no new snapshot can
// take its name, so trying again later is safe.
void CClipboardItem::FinishDeletion() const {
    if (m_readers != 0) return;
    int pending = FileDeletePending;
    if (!m_fileState.compare_exchange_strong(pending, FileDeleted)) return;
    const std::wstring path = GetPath();
    if (!::DeleteFileW(path.c_str()) && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        m_fileState = FileDeletePending;
}

void CClipboardItem::SetTimeNow() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    SetTime(now);
}

void CClipboardItem::SetTime(const SYSTEMTIME& time) {
    std::lock_guard<std::mutex> hold(m_guard);
    m_time = time;
    m_timeTicks = TicksOf(time);
}

void CClipboardItem::SetLocked(bool locked) {
    if (m_locked.exchange(locked) == locked) return;
    if (ItemObserver* observer = m_observer) observer->OnItemChanged(this);
}

void CClipboardItem::Touch() {
    SetTimeNow();
    m_timeChanged = true;
}

bool CClipboardItem::TakeTimeChanged() { return m_timeChanged.exchange(false); }

SYSTEMTIME CClipboardItem::GetTime() const {
    std::lock_guard<std::mutex> hold(m_guard);
    return m_time;
}

int CClipboardItem::GetFormatCount() const {
    EnsureFormats();
    return static_cast<int>(m_formats.size());
}

CClipboardFormat* CClipboardItem::GetFormat(int index) const {
    EnsureFormats();
    if (index < 0 || index >= GetFormatCount()) return nullptr;
    return m_formats[index].get();
}

// Formats beyond the room made for them are left out: the list never grows
// while the clipboard is open.
void CClipboardItem::ListClipboardFormats(std::vector<UINT>* formats) {
    UINT id = 0;
    while (formats->size() < formats->capacity() && (id = EnumClipboardFormats(id)) != 0)
        formats->push_back(id);
}

bool CClipboardItem::IsExcludedFromHistory(const std::vector<UINT>& formats) {
    static const UINT monitor =
        RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    static const UINT ignore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    for (UINT id : formats) {
        if (id == monitor || id == ignore) return true;
        DWORD allowed = 1;
        if (id == history && ReadClipboardDword(history, &allowed) && allowed == 0) return true;
    }
    return false;
}

// ---- capture ---------------------------------------------------------------

// A capture that runs out of memory stores nothing.
bool CClipboardItem::CaptureFromClipboard(HWND window, CaptureStatus* status) {
    CaptureStatus result = CaptureStatus::NothingStored;
    if (CopyFromClipboard(window, &result) && !WriteSnapshot())
        result = CaptureStatus::NothingStored;
    if (status) *status = result;
    return result == CaptureStatus::Stored;
}

// The clipboard is open only while the blocks are copied: digests,
// thumbnails and the file come after it is closed, so other programs are
// not kept waiting.
bool CClipboardItem::CopyFromClipboard(HWND window, CaptureStatus* status) {
    m_formats.clear();
    m_copies.clear();
    SetTimeNow();
    CaptureStatus result = mx::barrier(CaptureStatus::NothingStored, [&] {
        CaptureStatus copied;
        {
            MX_PROFILE_SPAN(Clipboard);
            copied = CopyOpenClipboard(window);
        }
        MX_PROFILE_SPAN(Digest);
        DigestCopies();
        return copied;
    });
    if (result == CaptureStatus::Stored && m_formats.empty()) result = CaptureStatus::NothingStored;
    if (result != CaptureStatus::Stored) {
        m_formats.clear();
        m_copies.clear();
    }
    SummariseFormats();
    if (status) *status = result;
    return result == CaptureStatus::Stored;
}

namespace {

const int kOpenTries = 20;
const DWORD kOpenPause = 1;

}  // namespace

// The lists are made long enough before the clipboard is opened, which the
// scoped clipboard closes on every way out.
CaptureStatus CClipboardItem::CopyOpenClipboard(HWND window) {
    std::vector<UINT> formats;
    formats.reserve(kMaxFormats);
    m_formats.reserve(kMaxFormats);
    m_copies.reserve(kMaxFormats);
    // Another program's hold is well under a millisecond; a capture that
    // slept longer between its tries would find the next copy of a quick
    // burst there and lose this one.
    MX_PROFILE_SPAN(Open);
    CScopedClipboard clipboard(window, kOpenTries, kOpenPause);
    MX_PROFILE_STOP(Open);
    if (!clipboard) return CaptureStatus::ClipboardBusy;
    MX_PROFILE_SPAN(ListFormats);
    ListClipboardFormats(&formats);
    if (IsExcludedFromHistory(formats)) return CaptureStatus::Excluded;
    MX_PROFILE_STOP(ListFormats);
    MX_PROFILE_SPAN(CopyOut);
    for (UINT id : formats) CopyBlock(id);
    return CaptureStatus::Stored;
}

// One copy of a known format's block, as large as the clipboard says it is.
void CClipboardItem::CopyBlock(UINT id) {
    std::unique_ptr<CClipboardFormat> format(FormatFactory().CreateFormat(id));
    HANDLE handle = format ? GetClipboardData(id) : nullptr;
    if (!handle) return;
    mx::unique_hglobal_locked block(handle);
    const SIZE_T size = block.size();
    if (!block || size > CClipboardFormat::kLargestBlock) return;
    CopiedBlock copy{std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size ? size : 1]), size, id};
    if (!copy.data) return;
    memcpy(copy.data.get(), block.get(), size);
    m_formats.push_back(std::move(format));
    m_copies.push_back(std::move(copy));
}

// A format whose copy does not make sense to it is dropped with its copy.
void CClipboardItem::DigestCopies() {
    for (size_t i = 0; i < m_formats.size();) {
        if (m_formats[i]->CaptureBlock(m_copies[i].data.get(), m_copies[i].size)) {
            ++i;
        } else {
            m_formats.erase(m_formats.begin() + i);
            m_copies.erase(m_copies.begin() + i);
        }
    }
}

// Each copy is freed once its stream is written: beside the clipboard's own
// blocks, a capture holds at most one copy of each.
bool CClipboardItem::WriteSnapshot() {
    const bool written = mx::barrier(false, [this] { return WriteCopies(); });
    m_copies.clear();
    if (!written) m_formats.clear();
    SummariseFormats();
    return written;
}

size_t CClipboardItem::GetCopiedBytes() const {
    size_t bytes = 0;
    for (const CopiedBlock& copy : m_copies) bytes += copy.size;
    return bytes;
}

namespace {

// Never half of a surrogate pair.
std::wstring Bounded(std::wstring text, size_t limit) {
    if (text.size() > limit) {
        const bool splitsPair = limit > 0 && IS_HIGH_SURROGATE(text[limit - 1]);
        text.resize(splitsPair ? limit - 1 : limit);
    }
    text.shrink_to_fit();
    return text;
}

}  // namespace

std::wstring CClipboardItem::GetCopiedSearchText(size_t limit) const {
    std::vector<CPlainText::Bytes> blocks;
    blocks.reserve(m_copies.size());
    for (const CopiedBlock& copy : m_copies)
        if (copy.data) blocks.push_back({copy.format, copy.data.get(), copy.size});
    return Bounded(mx::barrier(std::wstring(), [&] { return CPlainText::SearchText(blocks); }), limit);
}

std::wstring CClipboardItem::ReadSearchText(size_t limit) const {
    return Bounded(mx::barrier(std::wstring(), [this] { return CPlainText::SearchText(ReadRestoreBlocks()); }),
                   limit);
}

bool CClipboardItem::WriteCopies() {
    ULONGLONG total = 0;
    for (const CopiedBlock& copy : m_copies) total += copy.size;
    MX_PROFILE_SPAN(NewFile);
    CSnapshotWriter writer(GetPath(), total);
    MX_PROFILE_STOP(NewFile);
    if (!writer.IsOpen()) return false;
    const ULONGLONG freeSpace = total >= kRoomAskedFrom ? FreeSpace() : ~0ull;
    ULONGLONG reserved = 0;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const SIZE_T size = m_copies[i].size;
        if (HasRoomFor(reserved + size, freeSpace) && WriteFormat(writer, i)) reserved += size;
        else m_formats[i].reset();
        m_copies[i].data.reset();
    }
    m_formats.erase(std::remove(m_formats.begin(), m_formats.end(), nullptr), m_formats.end());
    return !m_formats.empty() && writer.Commit();
}

// A format whose stream cannot be written completely (a full disk) is
// dropped together with its stream, so the file holds only whole formats.
bool CClipboardItem::WriteFormat(CSnapshotWriter& writer, size_t index) {
    MX_PROFILE_SPAN(Streams);
    CClipboardFormat* format = m_formats[index].get();
    WCHAR name[256] = {};
    format->GetStreamName(name);
    IStream* stream = writer.BeginStream(name);
    if (!stream) return false;
    const CopiedBlock& copy = m_copies[index];
    return writer.EndStream(format->WriteBlock(copy.data.get(), copy.size, stream));
}

// A large format that plainly does not fit on the disk is not even
// started: writing it until the disk is full would leave every other
// program without room for a moment.
bool CClipboardItem::HasRoomFor(ULONGLONG bytes, ULONGLONG freeSpace) {
    return freeSpace >= bytes + bytes / 64 + kSpareBytes;
}

// Asked once per snapshot: each question is a round trip to the system.
// Unknown counts as plenty.
ULONGLONG CClipboardItem::FreeSpace() const {
    MX_PROFILE_SPAN(DiskRoom);
    ULARGE_INTEGER available = {};
    if (!GetDiskFreeSpaceExW(m_folder, &available, nullptr, nullptr)) return ~0ull;
    return available.QuadPart;
}

// ---- reading the snapshot ----------------------------------------------------

// A reader counts itself before it looks at the file's state, so a deletion
// either sees the reader and leaves the file to it, or the reader sees the
// deletion and stays away.
template <typename Use>
bool CClipboardItem::WithSnapshot(Use use) const {
    const std::wstring path = GetPath();
    if (path.empty()) return false;
    ++m_readers;
    bool opened = false;
    if (m_fileState == FilePresent) {
        ++s_snapshotOpens;
        ComPtr<IStorage> storage;
        if (SUCCEEDED(StgOpenStorage(path.c_str(), nullptr, kOpenFile, nullptr, 0, &storage))) {
            opened = true;
            use(storage.Get());
        }
    }
    --m_readers;
    FinishDeletion();
    return opened;
}

bool CClipboardItem::OpenStream(IStorage* storage, const WCHAR* name, IStream** stream) {
    return SUCCEEDED(storage->OpenStream(name, nullptr, kOpenStream, 0, stream));
}

CClipboardFormat* CClipboardItem::FindFormat(const WCHAR* streamName) const {
    EnsureFormats();
    WCHAR name[256];
    for (const auto& format : m_formats) {
        format->GetStreamName(name);
        if (lstrcmpiW(name, streamName) == 0) return format.get();
    }
    return nullptr;
}

std::vector<CClipboardItem::RestoreBlock> CClipboardItem::ReadRestoreBlocks() const {
    std::vector<RestoreBlock> blocks;
    EnsureFormats();
    WithSnapshot([&](IStorage* storage) {
        WCHAR name[256];
        for (const auto& format : m_formats) {
            format->GetStreamName(name);
            ComPtr<IStream> stream;
            RestoreBlock read{0, mx::unique_hglobal()};
            if (OpenStream(storage, name, &stream))
                read.block.reset(format->ReadRestoreBlock(stream.Get(), &read.format));
            if (read.block) blocks.push_back(std::move(read));
        }
    });
    return blocks;
}

void CClipboardItem::SetClipboardBlocks(std::vector<RestoreBlock>& blocks) {
    for (RestoreBlock& read : blocks)
        if (SetClipboardData(read.format, read.block.get())) read.block.release();
}

void CClipboardItem::RestoreToClipboard() {
    std::vector<RestoreBlock> blocks = ReadRestoreBlocks();
    SetClipboardBlocks(blocks);
}

// ---- history record ----------------------------------------------------------

void CClipboardItem::Save(CPluginStream& settings) const {
    const SYSTEMTIME time = GetTime();
    settings.WriteBinary(L"time", &time, sizeof(time));
    if (!m_file.empty()) settings.WriteString(L"file", m_file.c_str());
    if (m_hasIcon) settings.WriteString(L"icon", m_icon.c_str());
    settings.WriteInt(L"ID", m_id);
    settings.WriteInt(L"locked", m_locked ? 1 : 0);
}

bool CClipboardItem::Load(CPluginStream& settings) {
    return LoadRecord(settings) && LoadFormatsFromFile();
}

bool CClipboardItem::LoadFormatsFromFile() {
    const bool loaded = LoadFormats();
    m_formatsReady = true;
    SummariseFormats();
    return loaded;
}

bool CClipboardItem::LoadRecord(CPluginStream& settings) {
    DWORD size = 0;
    const void* time = settings.ReadBinary(L"time", &size);
    if (!time || size != sizeof(SYSTEMTIME)) return false;
    const WCHAR* file = settings.ReadString(L"file", nullptr);
    if (!IsPlainFileName(file)) return false;
    const int id = settings.ReadInt(L"ID", 0);
    if (id <= 0) return false;
    SYSTEMTIME stored;
    memcpy(&stored, time, sizeof(stored));
    SetTime(stored);
    m_file = file;
    m_id = id;
    m_locked = settings.ReadInt(L"locked", 0) != 0;
    const WCHAR* icon = settings.ReadString(L"icon", nullptr);
    m_hasIcon = icon != nullptr;
    m_icon = icon ? icon : L"";
    return true;
}

ItemSummary CClipboardItem::GetSummary() const {
    ItemSummary summary;
    summary.file = m_file;
    summary.id = m_id;
    summary.time = GetTime();
    summary.locked = m_locked;
    summary.hasIcon = m_hasIcon;
    summary.icon = m_icon;
    summary.preview = m_preview;
    summary.formats = m_summaries;
    return summary;
}

bool CClipboardItem::SetSummary(ItemSummary&& summary) {
    if (summary.formats.empty() || !IsPlainFileName(summary.file.c_str()) || summary.id <= 0)
        return false;
    m_file = std::move(summary.file);
    m_file.shrink_to_fit();
    m_id = summary.id;
    SetTime(summary.time);
    m_locked = summary.locked;
    m_hasIcon = summary.hasIcon;
    m_icon = std::move(summary.icon);
    m_preview = std::move(summary.preview);
    m_preview.shrink_to_fit();
    m_summaries = std::move(summary.formats);
    m_summaries.shrink_to_fit();
    m_formats.clear();
    m_formatsReady = false;
    m_openedBytes = 0;
    return true;
}

// Only while the item is not yet shared, or from its own capture: readers
// on other threads see the summaries of a listed item unchanged.
void CClipboardItem::SummariseFormats() {
    m_summaries.clear();
    WCHAR name[256];
    for (const auto& format : m_formats) {
        FormatSummary summary;
        format->GetStreamName(name);
        summary.streamName = CSharedNames::Get(name);
        memcpy(summary.digest, format->GetDigest(), sizeof(summary.digest));
        m_summaries.push_back(std::move(summary));
    }
    m_preview.clear();
    auto* text = dynamic_cast<CHGLOBALTextformatBase*>(GetMainFormat());
    if (const WCHAR* preview = text ? text->GetPreview() : nullptr)
        m_preview.assign(preview, wcsnlen(preview, kPreviewChars));
    MeasureOpened();
}

// An item made from a summary reads its formats on first use; a file that
// is gone leaves it without formats, as a deleted item is.
void CClipboardItem::EnsureFormats() const {
    m_lastUse = ++s_useClock;
    if (m_formatsReady) return;
    {
        std::lock_guard<std::mutex> hold(m_guard);
        if (m_formatsReady) return;
        if (m_fileState == FilePresent) const_cast<CClipboardItem*>(this)->LoadFormats();
        MeasureOpened();
        m_formatsReady = true;
    }
    if (ItemObserver* observer = m_observer) observer->OnFormatsOpened(const_cast<CClipboardItem*>(this));
}

// What a format object keeps beside the item's summary: a picture's
// thumbnail, a text's preview, the object itself.
void CClipboardItem::MeasureOpened() const {
    const size_t kPerFormat = 256;
    size_t bytes = 0;
    for (const auto& format : m_formats) {
        bytes += kPerFormat;
        if (auto* bitmap = dynamic_cast<const CBitmapFormat*>(format.get()))
            bytes += size_t(bitmap->GetThumbnailWidth()) * bitmap->GetThumbnailHeight() * 4;
        else if (auto* text = dynamic_cast<const CHGLOBALTextformatBase*>(format.get()))
            bytes += text->GetPreview() ? (wcslen(text->GetPreview()) + 1) * sizeof(WCHAR) : 0;
    }
    m_openedBytes = bytes;
}

bool CClipboardItem::DropFormats() {
    std::lock_guard<std::mutex> hold(m_guard);
    if (!m_formatsReady || m_formats.empty() || m_summaries.empty() || !m_copies.empty() ||
        m_fileState != FilePresent || m_file.empty())
        return false;
    m_formatsReady = false;
    m_formats.clear();
    m_openedBytes = 0;
    return true;
}

bool CClipboardItem::LoadFormats() {
    m_formats.clear();
    ComPtr<IStorage> storage;
    ++s_snapshotOpens;
    const std::wstring path = GetPath();
    if (path.empty() || FAILED(StgOpenStorage(path.c_str(), nullptr, kOpenFile, nullptr, 0, &storage)))
        return false;
    ComPtr<IEnumSTATSTG> elements;
    if (SUCCEEDED(storage->EnumElements(0, nullptr, 0, &elements))) {
        STATSTG stat;
        while (elements->Next(1, &stat, nullptr) == S_OK) {
            mx::unique_cotaskmem name(stat.pwcsName);
            if (stat.type == STGTY_STREAM) LoadFormat(storage.Get(), stat.pwcsName);
        }
    }
    elements.Reset();
    storage->Commit(STGC_DEFAULT);
    return !m_formats.empty();
}

bool CClipboardItem::LoadFormat(IStorage* storage, const WCHAR* name) {
    std::unique_ptr<CClipboardFormat> format(FormatFactory().CreateFormatByName(name));
    if (!format) return false;
    ComPtr<IStream> stream;
    if (!OpenStream(storage, name, &stream) || !format->LoadFromStream(stream.Get())) return false;
    stream->Commit(STGC_DEFAULT);
    m_formats.push_back(std::move(format));
    return true;
}

// ---- queries -------------------------------------------------------------------

bool CClipboardItem::IsContainedIn(const CClipboardItem* other) const {
    if (!other) return false;
    for (const FormatSummary& mine : m_summaries) {
        bool found = std::any_of(other->m_summaries.begin(), other->m_summaries.end(),
                                 [&mine](const FormatSummary& theirs) {
                                     return SameDigest(mine.digest, theirs.digest);
                                 });
        if (!found) return false;
    }
    return true;
}

bool CClipboardItem::SameDigest(const BYTE* a, const BYTE* b) { return memcmp(a, b, 16) == 0; }

unsigned CClipboardItem::GetIconKind() const {
    int kind = 0;
    for (const FormatSummary& format : m_summaries)
        kind = std::max(kind, FormatFactory().GetFormatRank(format.streamName));
    return static_cast<unsigned>(kind);
}

CClipboardFormat* CClipboardItem::GetMainFormat() const {
    EnsureFormats();
    CClipboardFormat* kept = nullptr;
    for (const auto& format : m_formats)
        kept = kept ? FormatFactory().PreferredFormat(kept, format.get()) : format.get();
    return kept;
}

void CClipboardItem::MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const {
    size->cx = size->cy = 0;
    if (CClipboardFormat* main = GetMainFormat()) main->MeasurePreview(dc, size, glowColour);
}

void CClipboardItem::DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const {
    if (CClipboardFormat* main = GetMainFormat()) main->DrawPreview(dc, rect, glowColour);
}

// ---- data object services ------------------------------------------------------

HRESULT CClipboardItem::QueryGetData(const FORMATETC* formatEtc) const {
    EnsureFormats();
    HRESULT answer = E_INVALIDARG;
    for (const auto& format : m_formats) {
        answer = format->QueryGetData(formatEtc);
        if (answer == S_OK) break;
    }
    return answer;
}

HRESULT CClipboardItem::GetData(const FORMATETC* formatEtc, STGMEDIUM* medium) const {
    EnsureFormats();
    HRESULT answer = E_INVALIDARG;
    for (const auto& format : m_formats) {
        answer = format->QueryGetData(formatEtc);
        if (answer != S_OK) continue;
        HRESULT rendered = E_INVALIDARG;
        WCHAR name[256];
        format->GetStreamName(name);
        WithSnapshot([&](IStorage* storage) {
            ComPtr<IStream> stream;
            if (OpenStream(storage, name, &stream))
                rendered = format->GetData(formatEtc, medium, stream.Get());
        });
        return rendered;
    }
    return answer;
}

void CClipboardItem::AddFormatEtcs(IFormatEtcList& list) const {
    EnsureFormats();
    for (const auto& format : m_formats) format->AddFormatEtcs(list);
}

void CClipboardItem::AddSaveFormats(SaveFormatList& list) const {
    EnsureFormats();
    for (const auto& format : m_formats) format->AddSaveFormats(list);
}

bool CClipboardItem::SaveFormatToFile(const SaveFormatEntry& choice) const {
    CClipboardFormat* format = FindFormat(choice.streamName);
    if (!format) return false;
    bool saved = false;
    WithSnapshot([&](IStorage* storage) {
        ComPtr<IStream> stream;
        if (OpenStream(storage, choice.streamName, &stream))
            saved = format->SaveToFile(choice, stream.Get());
    });
    return saved;
}

// ---- tooltip -------------------------------------------------------------------

namespace {

const WCHAR* Label(const CZABEngine* engine, const WCHAR* id, const WCHAR* fallback) {
    return engine ? engine->GetString(id, nullptr, fallback) : fallback;
}


}  // namespace

// Recomputed on every call, so that a changed time zone shows.
std::wstring CClipboardItem::TimeText(const SYSTEMTIME& utc) {
    SYSTEMTIME local = utc;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    WCHAR date[255] = L"";
    WCHAR time[255] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP | DATE_SHORTDATE, &local, nullptr, date, 255);
    GetTimeFormatW(LOCALE_USER_DEFAULT, LOCALE_USE_CP_ACP, &local, nullptr, time, 255);
    return std::wstring(date) + L" " + time;
}

void CClipboardItem::GetDescription(std::wstring& text, const CZABEngine* engine) const {
    EnsureFormats();
    text += Label(engine, L"IDS_TIP_FORMATS", L"Formats");
    text += L":\t<b>";
    WCHAR name[256];
    std::wstring display;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        if (i) text += L", ";
        m_formats[i]->GetStreamName(name);
        display.clear();
        FormatFactory().GetDisplayName(name, display);
        text += display;
    }
    text += L"</b><br>";
    text += Label(engine, L"IDS_TIP_TIME", L"Time");
    text += L":\t<b>";
    text += TimeText(GetTime());
    text += L"</b>";
    // One format speaks for the content, even when the item holds several.
    if (CClipboardFormat* main = GetMainFormat()) main->AppendDescription(text);
}
