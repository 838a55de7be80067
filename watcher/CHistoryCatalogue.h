// The catalogue of one history: a file beside the snapshot files that lists
// every entry with what the history and its menu need without opening the
// entry's snapshot file (id, file, time, lock, the formats' stream names and
// digests, a short preview) and the text the history's search reads. The store rewrites it after every change, so a
// bar that dies without saving its settings loses nothing, and a load reads
// it instead of every snapshot file.
//
// "%X-%X-%X.dvlcat" from the history's three ids. It is written whole under
// a temporary name and renamed over the old one, and ends with the MD5 of
// what precedes it: a catalogue is either complete and sound or rejected.
// While a store uses a history, it holds "%X-%X-%X.dvlown" open without
// sharing: a catalogue whose owner file can be opened belongs to no running
// bar.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"

class CHistoryCatalogue {
public:
    struct Ids {
        DWORD id1 = 0, id2 = 0, id3 = 0;
    };
    // Set once the bar has saved an index of this history in its settings:
    // that index, not a first start, finds the history again.
    static const DWORD kSavedByHost = 1;
    // Set when its store ended without the bar ever saving it: the bar let
    // the history go (a button taken off the bar), so no first start takes
    // it up.
    static const DWORD kClosedUnsaved = 2;

    struct Contents {
        DWORD flags = 0;
        int nextId = 1;
        int queueSize = 0;
        std::vector<ItemSummary> entries;  // in list order, oldest first
    };
    // Each entry's search text by id, for the entries that have one (a
    // catalogue of an older version has none). Not kept in the items: the
    // history's window reads them all at once.
    using Texts = std::unordered_map<int, std::wstring>;
    // The longest search text kept for an entry.
    static constexpr size_t kTextChars = 512;

    explicit CHistoryCatalogue(const std::wstring& folder);
    ~CHistoryCatalogue();
    CHistoryCatalogue(const CHistoryCatalogue&) = delete;
    CHistoryCatalogue& operator=(const CHistoryCatalogue&) = delete;

    // The history whose catalogue this is; gives up a held owner file of
    // other ids.
    void SetIds(const Ids& ids);
    const Ids& GetIds() const { return m_ids; }
    std::wstring GetPath() const;

    bool Exists() const;
    // Holds the owner file; false when another running store holds it.
    bool TakeOwnership();
    bool IsOwner() const { return m_owner.is_valid(); }

    // One entry as Encode reads it, pointing into what the caller holds.
    struct EntryView {
        int id;
        const WCHAR* file;
        SYSTEMTIME time;
        bool locked;
        const WCHAR* icon;  // null: none
        const std::wstring* preview;
        const std::vector<FormatSummary>* formats;
        const std::wstring* text;  // null: none
    };
    static EntryView View(const ItemSummary& entry);
    static EntryView View(const CClipboardItem& item);

    // False when the catalogue is missing or damaged. The texts are read
    // only when asked for; the contents may be null then.
    bool Read(Contents* contents, Texts* texts = nullptr) const;
    // The bytes Write puts on the disk.
    static std::vector<BYTE> Encode(const Ids& ids, DWORD flags, int nextId, int queueSize,
                                    const std::vector<EntryView>& entries);
    static bool Decode(const Ids& ids, const BYTE* data, size_t size, Contents* contents,
                       Texts* texts = nullptr);
    // Replaces the catalogue with the bytes; the old one stays whole until
    // the new one is.
    bool Write(const std::vector<BYTE>& bytes);

    // The newest catalogue in the folder that no running store owns, whose
    // bar never saved it, whose store did not end, and that lists entries: a
    // history whose first run died before any save.
    static bool FindUnsaved(const std::wstring& folder, Ids* ids);
    // Removes temporary catalogues that no writer holds open any more.
    static void RemoveLeftovers(const std::wstring& folder);

    // Test seam: called on the writing thread while the temporary file is
    // half written.
    static void SetPauseHook(std::function<void()> hook);

private:
    static std::wstring BaseName(const Ids& ids);
    static bool IsOwnedByAnother(const std::wstring& folder, const Ids& ids);

    std::wstring m_folder;
    Ids m_ids;
    mx::unique_file m_owner;
};
