// One captured clipboard content: its stored formats, capture time, snapshot
// file, history id and flags. The data lives in the snapshot file (a compound
// file with one stream per format); in memory the item keeps only what each
// format object summarises (digest, preview).
//
// The history store creates items; menu entries and data objects hold their
// own references, so AddRef/Release and the flags are safe on any thread.
#pragma once
#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/CountedRef.h"
#include "base/Unique.h"
#include "clipdata/FormatSummary.h"
#include "clipdata/IFormatEtcList.h"
#include "clipdata/RestoreBlock.h"
#include "clipdata/SaveFormatEntry.h"

class CClipboardFormat;
class CClipboardItem;
class CObClipboard;
class CPluginStream;
class CSnapshotWriter;
class CZABEngine;

// Everything the history and its catalogue keep of an item, the snapshot
// file's data aside.
struct ItemSummary {
    std::wstring file;
    int id = 0;
    SYSTEMTIME time = {};
    bool locked = false;
    bool hasIcon = false;
    std::wstring icon;
    // The start of the main format's text, for lists that show many entries.
    std::wstring preview;
    std::vector<FormatSummary> formats;
};

// Told when a flag that the history keeps on disk changes, and when an item
// read its formats from its snapshot file.
class ItemObserver {
public:
    virtual void OnItemChanged(CClipboardItem* item) = 0;
    virtual void OnFormatsOpened(CClipboardItem* item) = 0;

protected:
    ~ItemObserver() = default;
};

// Why a capture ended as it did.
enum class CaptureStatus {
    Stored,         // at least one format is in the snapshot file
    NothingStored,  // no known format could be stored; no file is left
    ClipboardBusy,  // another program kept the clipboard open; nothing was touched
    Excluded,       // the content asks not to be kept in a history; no file was made
};

class CClipboardItem {
public:
    // The file name is the snapshot's name without folder; null for an item
    // whose record is loaded later.
    CClipboardItem(CObClipboard* owner, const WCHAR* folder, const WCHAR* file, int id);
    virtual ~CClipboardItem();
    CClipboardItem(const CClipboardItem&) = delete;
    CClipboardItem& operator=(const CClipboardItem&) = delete;

    LONG AddRef();
    // Destroys the item when the count reaches 0.
    LONG Release();

    // Deletes the snapshot file, once; the item stays usable from memory. A
    // file that a reader holds open at that moment goes when the reader
    // closes it, and no new reader opens it. True once the file is gone.
    BOOL DeleteFile();
    // The time becomes now and the time-changed flag is set.
    void Touch();
    bool TakeTimeChanged();

    // Opens the clipboard for the window and captures it into a new snapshot
    // file at the path: CopyFromClipboard, then WriteSnapshot. True exactly
    // when at least one format was stored; the status tells a busy clipboard
    // and private content from nothing stored. Only a stored capture leaves
    // a file.
    bool CaptureFromClipboard(HWND window, CaptureStatus* status = nullptr);
    // The first half: copies the known formats' blocks out of the clipboard,
    // closes it, and takes their digests from the copies. No file is made;
    // the copies are kept until WriteSnapshot or the item's end. True when
    // at least one format was copied.
    bool CopyFromClipboard(HWND window, CaptureStatus* status = nullptr);
    // The second half: writes the copied formats into the snapshot file (a
    // format that does not fit on the disk is dropped) and frees each copy
    // once written. False, leaving no file and no formats, when nothing
    // could be stored.
    bool WriteSnapshot();
    // The bytes of the copies still to be written.
    size_t GetCopiedBytes() const;
    // What the history's search reads of the copies (CPlainText::SearchText),
    // at most that many characters; made after the clipboard is closed.
    std::wstring GetCopiedSearchText(size_t limit) const;
    // The same read from the snapshot file; empty when the file is gone.
    std::wstring ReadSearchText(size_t limit) const;

    using RestoreBlock = ::RestoreBlock;
    // Reads every stored format, so that the clipboard need not be open
    // meanwhile; empty when the file is gone.
    std::vector<RestoreBlock> ReadRestoreBlocks() const;
    // Puts the blocks on the clipboard, which the caller has opened and
    // emptied; the clipboard takes over each block it accepts.
    static void SetClipboardBlocks(std::vector<RestoreBlock>& blocks);
    // Writes every stored format back; the caller has opened and emptied the
    // clipboard and closes it afterwards.
    void RestoreToClipboard();

    // The item's record in the history index: "time", "file", "icon", "ID",
    // "locked".
    void Save(CPluginStream& settings) const;
    // Reads a record and then the snapshot file; false for a record without
    // time, file or id, a file name that is not a plain name, or a snapshot
    // without any loadable format.
    bool Load(CPluginStream& settings);
    // Reads the record only; the snapshot file is not opened.
    bool LoadRecord(CPluginStream& settings);
    // Reads the formats from the snapshot file now; false when it holds none.
    bool LoadFormatsFromFile();

    // What the history keeps of the item. An item given a summary opens its
    // snapshot file only once a format's data or object is needed.
    ItemSummary GetSummary() const;
    // False for a summary without formats or a file name that is not plain.
    // Takes over the summary's strings.
    bool SetSummary(ItemSummary&& summary);
    // The stored formats' names and digests, in list order.
    const std::vector<FormatSummary>& GetFormatSummaries() const { return m_summaries; }
    // The start of the main format's text; empty for other content.
    const std::wstring& GetPreviewText() const { return m_preview; }
    // True while the formats have not been read from the snapshot file.
    bool IsSummaryOnly() const { return !m_formatsReady; }
    // About the memory the formats take (thumbnails, previews) while they
    // are in memory; 0 while they are not.
    size_t GetOpenedBytes() const { return m_openedBytes; }
    // When the formats were last asked for, on a clock all items share.
    ULONGLONG GetLastUse() const { return m_lastUse; }
    // Frees the formats of an item whose snapshot file is on the disk; they
    // are read from it again when next needed. Only for an item nobody but
    // its store holds (GetRefCount() == 1), so no one is using them. False
    // when they stay.
    bool DropFormats();
    LONG GetRefCount() const { return m_refCount; }
    // Snapshot files opened for reading so far, by any item (a test seam).
    static long GetSnapshotOpenCount() { return s_snapshotOpens; }
    // Not owned; told of lock changes. Set by the store before the item is
    // shared.
    void SetObserver(ItemObserver* observer) { m_observer = observer; }

    // True when every format of this item has a format with an equal digest
    // in the other item (an item without formats is contained in any item).
    bool IsContainedIn(const CClipboardItem* other) const;
    // 0 none, 1 text, 2 files, 3 image.
    unsigned GetIconKind() const;
    // The format that stands for the item, or null without formats.
    CClipboardFormat* GetMainFormat() const;
    void MeasurePreview(HDC dc, SIZE* size, COLORREF glowColour) const;
    void DrawPreview(HDC dc, const RECT* rect, COLORREF glowColour) const;
    // Appends the tooltip of the item's menu entry: its formats in list
    // order, the capture time in the user's local time and locale, and the
    // part of the format that stands for the item. The labels come from the
    // engine's string table (null: the English ones).
    void GetDescription(std::wstring& text, const CZABEngine* engine) const;

    // The services of a menu entry's data object, in format order.
    HRESULT QueryGetData(const FORMATETC* formatEtc) const;
    HRESULT GetData(const FORMATETC* formatEtc, STGMEDIUM* medium) const;
    void AddFormatEtcs(IFormatEtcList& list) const;

    // The save dialog's services.
    void AddSaveFormats(SaveFormatList& list) const;
    // False when no format has the choice's stream name or the file or
    // stream cannot be opened.
    bool SaveFormatToFile(const SaveFormatEntry& choice) const;

    int GetId() const { return m_id; }
    // Only the store calls this, while the item is not yet shared.
    void SetId(int id) { m_id = id; }
    SYSTEMTIME GetTime() const;
    // A capture time as the user reads it: local date and time in the
    // user's locale.
    static std::wstring TimeText(const SYSTEMTIME& utc);
    // Only the store calls this, for an entry it recovers without a record.
    void SetTime(const SYSTEMTIME& time);
    // The time as FILETIME ticks, for comparisons.
    ULONGLONG GetTimeTicks() const { return m_timeTicks; }
    // The item's place in the list, rising from the oldest; the store sets it.
    ULONGLONG GetListOrder() const { return m_listOrder; }
    void SetListOrder(ULONGLONG order) { m_listOrder = order; }
    const WCHAR* GetFileName() const { return m_file.empty() ? nullptr : m_file.c_str(); }
    // The folder and the file name; empty without either.
    std::wstring GetPath() const;
    const WCHAR* GetIcon() const { return m_hasIcon ? m_icon.c_str() : nullptr; }
    CObClipboard* GetOwner() const { return m_owner; }
    int GetFormatCount() const;
    CClipboardFormat* GetFormat(int index) const;

    bool IsLocked() const { return m_locked; }
    void SetLocked(bool locked);
    bool IsCurrent() const { return m_current; }
    void SetCurrent(bool current) { m_current = current; }
    bool IsStateChanged() const { return m_stateChanged; }
    void SetStateChanged(bool changed) { m_stateChanged = changed; }
    bool TakeStateChanged() { return m_stateChanged.exchange(false); }
    bool IsTimeChanged() const { return m_timeChanged; }
    // True once the item left the history and its snapshot file was deleted:
    // only what it holds in memory is left.
    bool IsDeleted() const { return m_fileState != FilePresent; }

    // The open clipboard's formats in its own order, as many as the list has
    // room for.
    static void ListClipboardFormats(std::vector<UINT>* formats);
    // True when the open clipboard, holding these formats, asks monitors and
    // histories to leave it alone.
    static bool IsExcludedFromHistory(const std::vector<UINT>& formats);

private:
    void SetTimeNow();
    CaptureStatus CopyOpenClipboard(HWND window);
    void CopyBlock(UINT id);
    void DigestCopies();
    bool WriteCopies();
    bool WriteFormat(CSnapshotWriter& writer, size_t index);
    static bool HasRoomFor(ULONGLONG bytes, ULONGLONG freeSpace);
    ULONGLONG FreeSpace() const;
    bool LoadFormats();
    void EnsureFormats() const;
    void SummariseFormats();
    void MeasureOpened() const;
    static bool SameDigest(const BYTE* a, const BYTE* b);
    bool LoadFormat(IStorage* storage, const WCHAR* name);
    CClipboardFormat* FindFormat(const WCHAR* streamName) const;
    // Runs use(storage) on the snapshot opened for reading; false when the
    // file is gone or cannot be opened.
    template <typename Use>
    bool WithSnapshot(Use use) const;
    static bool OpenStream(IStorage* storage, const WCHAR* name, IStream** stream);
    void FinishDeletion() const;

    // Filled by a capture or a load from the file, or read from the file on
    // first use by an item made from a summary; never changed once ready.
    mutable std::vector<std::unique_ptr<CClipboardFormat>> m_formats;
    mutable std::atomic<bool> m_formatsReady{true};
    mutable std::atomic<size_t> m_openedBytes{0};
    mutable std::atomic<ULONGLONG> m_lastUse{0};
    static std::atomic<ULONGLONG> s_useClock;
    // Guards the formats while they are read on first use, and the time.
    mutable std::mutex m_guard;
    std::vector<FormatSummary> m_summaries;
    std::wstring m_preview;
    std::atomic<ULONGLONG> m_timeTicks{0};
    ULONGLONG m_listOrder = 0;
    std::atomic<ItemObserver*> m_observer{nullptr};
    static std::atomic<long> s_snapshotOpens;
    // A format's block copied out of the clipboard, until it is written.
    struct CopiedBlock {
        std::unique_ptr<BYTE[]> data;
        SIZE_T size;
        UINT format;
    };
    // While a capture is not yet written: one copy for each format, in the
    // same order.
    std::vector<CopiedBlock> m_copies;
    SYSTEMTIME m_time = {};
    // Shared by every item of the folder (CSharedNames).
    const WCHAR* m_folder;
    std::wstring m_file;
    int m_id;
    std::atomic<bool> m_locked{false};
    std::wstring m_icon;
    bool m_hasIcon = false;
    CObClipboard* m_owner;
    std::atomic<bool> m_stateChanged{false};
    std::atomic<bool> m_current{false};
    std::atomic<bool> m_timeChanged{false};
    std::atomic<LONG> m_refCount{1};
    // DeleteFile asks for the deletion; the last reader that holds the file
    // open carries it out.
    enum FileState { FilePresent, FileDeletePending, FileDeleted };
    mutable std::atomic<int> m_fileState{FilePresent};
    mutable std::atomic<int> m_readers{0};
};

// One counted reference to an item.
using ItemRef = mx::counted_ref<CClipboardItem>;
