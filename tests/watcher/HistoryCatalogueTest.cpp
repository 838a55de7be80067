// The history's catalogue: loading without opening snapshot files, entries
// that open their file when first needed, a history saved by the earlier
// store, a damaged catalogue, two histories in one folder, and a bar killed
// (historyhost.exe, a second process) before or while it writes.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CMD5.h"
#include "tests/watcher/CWatcherTest.h"
#include "watcher/CHistoryCatalogue.h"

using mxtest::Bytes;
using mxtest::ReadFileBytes;
using mxtest::WinePath;
using mxtest::WriteFileBytes;

namespace {

std::wstring Fixture(const wchar_t* name) {
    return WinePath(MX_WATCHER_FIXTURES) + L"\\history-v1\\" + name;
}

const wchar_t* const kFixtureFiles[] = {
    L"442BFFFF-4BBFFFFF-5ADBFFFF-1.dvlclip", L"442BFFFF-4BBFFFFF-5ADBFFFF-2.dvlclip",
    L"442BFFFF-4BBFFFFF-5ADBFFFF-3.dvlclip", L"442BFFFF-4BBFFFFF-5ADBFFFF-4.dvlclip",
    L"442BFFFF-4BBFFFFF-5ADBFFFF-5.dvlclip", L"442BFFFF-4BBFFFFF-5ADBFFFF-6.dvlclip"};

// What a test compares of an entry: id, file, time, lock, and the text.
std::string Describe(CObClipboard& store) {
    std::string all;
    for (int i = 0;; ++i) {
        ItemRef item = store.GetItem(i);
        if (!item) break;
        const SYSTEMTIME t = item->GetTime();
        char line[512];
        snprintf(line, sizeof line, "%d %s %04d%02d%02d%02d%02d%02d.%03d %d [%s]\n", item->GetId(),
                 Narrow(item->GetFileName()).c_str(), t.wYear, t.wMonth, t.wDay, t.wHour,
                 t.wMinute, t.wSecond, t.wMilliseconds, item->IsLocked() ? 1 : 0,
                 Narrow(PreviewOf(item.get())).c_str());
        all += line;
    }
    return all;
}

// Every stored format's restore block by format: a reloaded entry lists its
// formats in the snapshot file's order, as the earlier store's reload did.
std::map<UINT, Bytes> RestoreBytes(const CClipboardItem& item) {
    std::map<UINT, Bytes> all;
    for (const CClipboardItem::RestoreBlock& block : item.ReadRestoreBlocks()) {
        mx::unique_hglobal_locked data(block.block.get());
        const BYTE* bytes = static_cast<const BYTE*>(data.get());
        if (bytes) all[block.format].assign(bytes, bytes + data.size());
    }
    return all;
}

// The bytes a drop target gets for the text, as a drag hands them over.
Bytes DraggedText(const CClipboardItem& item) {
    FORMATETC format = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (item.GetData(&format, &medium) != S_OK) return Bytes();
    Bytes bytes;
    {
        mx::unique_hglobal_locked data(medium.hGlobal);
        const BYTE* in = static_cast<const BYTE*>(data.get());
        if (in) bytes.assign(in, in + data.size());
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

// The file the save command writes for the first save choice.
Bytes SavedFile(const CClipboardItem& item, const std::wstring& path) {
    SaveFormatList choices;
    item.AddSaveFormats(choices);
    if (choices.empty()) return Bytes();
    SaveFormatEntry choice = choices.front();
    lstrcpynW(choice.fileName, path.c_str(), MAX_PATH);
    if (!item.SaveFormatToFile(choice)) return Bytes();
    Bytes bytes = ReadFileBytes(path);
    DeleteFileW(path.c_str());
    return bytes;
}

class HistoryCatalogueTest : public CWatcherTest {
protected:
    void CopyFixture() {
        for (const wchar_t* name : kFixtureFiles)
            ASSERT_FALSE(folder.Write(name, ReadFileBytes(Fixture(name))).empty()) << Narrow(name);
    }
    std::wstring CataloguePath() const {
        for (const std::wstring& name : folder.Files())
            if (name.size() > 7 && name.compare(name.size() - 7, 7, L".dvlcat") == 0)
                return folder.File(name);
        return std::wstring();
    }
    void CopyTexts(const std::vector<std::string>& texts) {
        for (const std::string& t : texts) Copy("text " + t);
    }
    std::wstring IndexPath() const { return folder.File(L"index.bin"); }
};

// The fixture was saved by the store before it kept a catalogue.
TEST_F(HistoryCatalogueTest, AHistorySavedBeforeTheCatalogueLoadsWhole) {
    CopyFixture();
    std::string described;
    {
        CObClipboard old(folder.Path().c_str());
        ASSERT_TRUE(LoadIndexFile(old, Fixture(L"index.bin")));
        ASSERT_EQ(old.GetItemCount(), 6);
        const wchar_t* texts[] = {L"Fixture one", L"Fixture two", nullptr, L"",
                                  L"Fixture five", L"Fixture six"};
        const unsigned kinds[] = {1, 1, 2, 3, 1, 1};
        for (int i = 0; i < 6; ++i) {
            ItemRef item = old.GetItem(i);
            EXPECT_EQ(item->GetId(), i + 1);
            EXPECT_EQ(item->GetIconKind(), kinds[i]) << i;
            if (texts[i]) {
                EXPECT_EQ(PreviewOf(item.get()), texts[i]) << i;
            }
        }
        EXPECT_TRUE(old.GetItem(1)->IsLocked());
        EXPECT_FALSE(old.GetItem(0)->IsLocked());
        EXPECT_EQ(old.GetNextId(), 7);
        described = Describe(old);
    }
    ASSERT_FALSE(CataloguePath().empty());

    // From the catalogue now: the same entries, and no snapshot file opened.
    CObClipboard again(folder.Path().c_str());
    const long opened = CClipboardItem::GetSnapshotOpenCount();
    ASSERT_TRUE(LoadIndexFile(again, Fixture(L"index.bin")));
    EXPECT_EQ(CClipboardItem::GetSnapshotOpenCount(), opened);
    EXPECT_EQ(again.GetItemCount(), 6);
    EXPECT_EQ(Describe(again), described);
    EXPECT_GT(CClipboardItem::GetSnapshotOpenCount(), opened);
}

// What this store saves is the index the earlier store reads: the records it
// reads are there, and reading them its way (each snapshot file opened)
// gives the same history.
TEST_F(HistoryCatalogueTest, TheSavedIndexReadsTheEarlierWay) {
    Start();
    CopyTexts({"Alpha", "Beta"});
    Copy("dib 30 20 4");
    Copy("texthtml Gamma");
    FindByText(store, L"Beta")->SetLocked(true);
    ASSERT_TRUE(SaveIndexFile(store, IndexPath()));
    const std::string described = Describe(store);

    ASSERT_TRUE(DeleteFileW(CataloguePath().c_str()));
    CObClipboard earlier(folder.Path().c_str());
    const long opened = CClipboardItem::GetSnapshotOpenCount();
    ASSERT_TRUE(LoadIndexFile(earlier, IndexPath()));
    EXPECT_GE(CClipboardItem::GetSnapshotOpenCount(), opened + 4);
    EXPECT_EQ(Describe(earlier), described);
    for (int i = 0; i < 4; ++i) {
        ItemRef item = earlier.GetItem(i);
        ASSERT_NE(item, nullptr);
        CPluginStream record;
        item->Save(record);
        for (const wchar_t* key : {L"time", L"file", L"ID", L"locked"})
            EXPECT_NE(record.ReadBinary(key, nullptr), nullptr) << Narrow(key);
    }
}

// An entry read from the catalogue opens its file only when asked for data,
// and gives the bytes the captured entry gave.
TEST_F(HistoryCatalogueTest, AnEntryOpenedLaterGivesTheSameBytes) {
    Start();
    Copy("texthtml Lazy text");
    Copy("dib 40 30 9");
    ItemRef text = store.GetItem(0), picture = store.GetItem(1);
    ASSERT_TRUE(text && picture);
    const std::map<UINT, Bytes> textBlocks = RestoreBytes(*text);
    const std::map<UINT, Bytes> pictureBlocks = RestoreBytes(*picture);
    const Bytes dragged = DraggedText(*text);
    const Bytes saved = SavedFile(*picture, folder.File(L"saved.out"));
    ASSERT_EQ(textBlocks.size(), 2u);
    ASSERT_FALSE(pictureBlocks.empty() || dragged.empty() || saved.empty());
    ASSERT_TRUE(SaveIndexFile(store, IndexPath()));
    store.SetWatching(false);

    CObClipboard loaded(folder.Path().c_str());
    ASSERT_TRUE(LoadIndexFile(loaded, IndexPath()));
    ItemRef lazyText = loaded.GetItem(0), lazyPicture = loaded.GetItem(1);
    ASSERT_TRUE(lazyText && lazyPicture);
    EXPECT_TRUE(lazyText->IsSummaryOnly());
    EXPECT_EQ(lazyText->GetIconKind(), text->GetIconKind());
    EXPECT_EQ(lazyPicture->GetIconKind(), picture->GetIconKind());
    EXPECT_EQ(lazyText->GetPreviewText(), L"Lazy text");
    EXPECT_EQ(RestoreBytes(*lazyText), textBlocks);
    EXPECT_EQ(RestoreBytes(*lazyPicture), pictureBlocks);
    EXPECT_EQ(DraggedText(*lazyText), dragged);
    EXPECT_EQ(SavedFile(*lazyPicture, folder.File(L"saved.out")), saved);

    // Put back on the real clipboard by the watcher, as a chosen entry is.
    ASSERT_TRUE(source.Copy("text something else"));
    loaded.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(loaded));
    loaded.PostRestore(lazyText->GetId());
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == L"Lazy text"; }));
    // The same content copied again brings the entry back, as before.
    ASSERT_TRUE(source.Copy("texthtml Lazy text"));
    ASSERT_TRUE(WaitForSequence(loaded, source.LastSequence()));
    EXPECT_EQ(loaded.GetItemCount(), 2);
    EXPECT_TRUE(lazyText->IsCurrent());
    loaded.SetWatching(false);
}

// A catalogue cut short or with a changed byte is not trusted: the index
// and the snapshot files give the history, with the entries captured after
// the last save as well.
TEST_F(HistoryCatalogueTest, ADamagedCatalogueFallsBackWithoutLoss) {
    Start();
    CopyTexts({"One", "Two", "Three"});
    ASSERT_TRUE(SaveIndexFile(store, IndexPath()));
    CopyTexts({"Four", "Five"});
    store.SetWatching(false);
    const std::wstring catalogue = CataloguePath();
    const Bytes sound = ReadFileBytes(catalogue);
    ASSERT_FALSE(sound.empty());

    Bytes cut(sound.begin(), sound.begin() + sound.size() / 2);
    Bytes flipped = sound;
    flipped[flipped.size() / 3] ^= 0x10;
    for (const Bytes& damaged : {cut, flipped}) {
        ASSERT_TRUE(WriteFileBytes(catalogue, damaged));
        CObClipboard loaded(folder.Path().c_str());
        ASSERT_TRUE(LoadIndexFile(loaded, IndexPath()));
        EXPECT_EQ(ItemTexts(loaded), L"One,Two,Three,Four,Five");
        EXPECT_EQ(ListedFiles(loaded), SnapshotFiles(folder));
    }
}

std::vector<ItemRef> Entries(CObClipboard& store) {
    std::vector<ItemRef> items;
    for (int i = 0; ItemRef item = store.GetItem(i); ++i) items.push_back(item);
    return items;
}

// The catalogue as the version before search texts wrote it: the same
// entries without their texts.
Bytes AsFirstVersion(const Bytes& catalogue, const CHistoryCatalogue::Ids& ids) {
    CHistoryCatalogue::Contents contents;
    if (!CHistoryCatalogue::Decode(ids, catalogue.data(), catalogue.size(), &contents)) return Bytes();
    std::vector<CHistoryCatalogue::EntryView> views;
    for (const ItemSummary& entry : contents.entries) views.push_back(CHistoryCatalogue::View(entry));
    Bytes bytes = CHistoryCatalogue::Encode(ids, contents.flags, contents.nextId, contents.queueSize, views);
    const DWORD version = 1;
    memcpy(bytes.data() + 4, &version, sizeof version);
    CMD5::Compute(bytes.data(), bytes.size() - CMD5::DigestSize, bytes.data() + bytes.size() - CMD5::DigestSize);
    return bytes;
}

CHistoryCatalogue::Ids IdsOf(const std::wstring& cataloguePath) {
    CHistoryCatalogue::Ids ids;
    const std::wstring name = cataloguePath.substr(cataloguePath.rfind(L'\\') + 1);
    swscanf(name.c_str(), L"%lX-%lX-%lX", &ids.id1, &ids.id2, &ids.id3);
    return ids;
}

// Each entry's search text comes from the catalogue, without markup and
// bounded, in one read that opens no snapshot file. A catalogue written
// before it kept texts still loads; its entries' texts are read from their
// files once and kept from then on.
TEST_F(HistoryCatalogueTest, TheCatalogueCarriesEachEntrysSearchText) {
    const std::vector<std::wstring> expected = {L"Some bold & more", L"Plain words",
                                                L"C:\\docs\\one.txt\nC:\\docs\\two.txt", L"image 30x20"};
    std::vector<std::wstring> texts;
    std::set<std::wstring> files;
    // A bar of its own, so that the later ones may write its catalogue.
    {
        CObClipboard bar(folder.Path().c_str());
        bar.SetWatching(true);
        ASSERT_TRUE(WaitForWatcher(bar));
        for (const char* copy : {"html <p>Some <b>bold</b> &amp; more</p>", "text Plain words",
                                 "files C:\\docs\\one.txt|C:\\docs\\two.txt", "dib 30 20 4",
                                 "textn 3000 q long"}) {
            ASSERT_TRUE(source.Copy(copy)) << copy;
            ASSERT_TRUE(WaitForSequence(bar, source.LastSequence())) << copy;
        }
        bar.SetWatching(false);
        ASSERT_TRUE(SaveIndexFile(bar, IndexPath()));
        texts = bar.GetSearchTexts(Entries(bar));
        ASSERT_EQ(texts.size(), 5u);
        EXPECT_EQ(texts[4].size(), CHistoryCatalogue::kTextChars);
        texts.resize(4);
        EXPECT_EQ(texts, expected);
        files = ListedFiles(bar);
    }
    {
        CObClipboard loaded(folder.Path().c_str());
        const long opened = CClipboardItem::GetSnapshotOpenCount();
        ASSERT_TRUE(LoadIndexFile(loaded, IndexPath()));
        texts = loaded.GetSearchTexts(Entries(loaded));
        EXPECT_EQ(CClipboardItem::GetSnapshotOpenCount(), opened);
        texts.resize(4);
        EXPECT_EQ(texts, expected);
    }

    const std::wstring catalogue = CataloguePath();
    const Bytes older = AsFirstVersion(ReadFileBytes(catalogue), IdsOf(catalogue));
    ASSERT_FALSE(older.empty());
    ASSERT_TRUE(WriteFileBytes(catalogue, older));
    {
        CObClipboard upgraded(folder.Path().c_str());
        const long opened = CClipboardItem::GetSnapshotOpenCount();
        ASSERT_TRUE(LoadIndexFile(upgraded, IndexPath()));
        EXPECT_EQ(CClipboardItem::GetSnapshotOpenCount(), opened);
        EXPECT_EQ(ListedFiles(upgraded), files);
        texts = upgraded.GetSearchTexts(Entries(upgraded));
        EXPECT_GE(CClipboardItem::GetSnapshotOpenCount(), opened + 5);
        texts.resize(4);
        EXPECT_EQ(texts, expected);
        upgraded.Flush();
    }
    CObClipboard again(folder.Path().c_str());
    ASSERT_TRUE(LoadIndexFile(again, IndexPath()));
    const long opened = CClipboardItem::GetSnapshotOpenCount();
    texts = again.GetSearchTexts(Entries(again));
    EXPECT_EQ(CClipboardItem::GetSnapshotOpenCount(), opened);
    texts.resize(4);
    EXPECT_EQ(texts, expected);
}

// Past the budget of the formats in memory, those of the least recently
// used entries that nobody else holds are freed: such an entry still gives
// the same bytes and goes back onto the clipboard, read from its file; an
// entry that a menu entry holds keeps its formats.
TEST_F(HistoryCatalogueTest, EntriesDroppedFromTheCacheStillGiveTheirBytes) {
    store.SetQueueSize(100);
    Start();
    Copy("texthtml Dropped text");
    Copy("dib 40 30 1");
    Copy("dib 40 30 2");
    std::vector<std::map<UINT, Bytes>> before;
    for (int i = 0; i < 3; ++i) {
        before.push_back(RestoreBytes(*store.GetItem(i)));
        EXPECT_FALSE(store.GetItem(i)->IsSummaryOnly()) << i;
    }
    ItemRef held = store.GetItem(1);
    store.SetFormatCacheBudget(1);
    // The capture trims while it still holds its own entry.
    Copy("text Trims the cache");
    store.Flush();
    for (int i : {0, 2}) EXPECT_TRUE(store.GetItem(i)->IsSummaryOnly()) << i;
    EXPECT_FALSE(held->IsSummaryOnly());

    store.PostRestore(store.GetItem(0)->GetId());
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == L"Dropped text"; }));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(RestoreBytes(*store.GetItem(i)), before[i]) << i;
}

// Each of two histories in one folder keeps its own entries, and a first
// start does not take up a history whose bar still runs.
TEST_F(HistoryCatalogueTest, TwoHistoriesInOneFolderKeepTheirOwn) {
    Start();
    CopyTexts({"First bar A", "First bar B"});
    store.SetWatching(false);
    CObClipboard second(folder.Path().c_str());
    second.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(second));
    ASSERT_TRUE(source.Copy("text Second bar"));
    ASSERT_TRUE(WaitForSequence(second, source.LastSequence()));
    second.SetWatching(false);
    CObClipboard newcomer(folder.Path().c_str());
    newcomer.LoadUnsaved();
    EXPECT_EQ(newcomer.GetItemCount(), 0);
    ASSERT_TRUE(SaveIndexFile(store, folder.File(L"first.bin")));
    ASSERT_TRUE(SaveIndexFile(second, folder.File(L"second.bin")));

    CObClipboard first2(folder.Path().c_str()), second2(folder.Path().c_str());
    ASSERT_TRUE(LoadIndexFile(first2, folder.File(L"first.bin")));
    ASSERT_TRUE(LoadIndexFile(second2, folder.File(L"second.bin")));
    EXPECT_EQ(ItemTexts(first2), L"First bar A,First bar B");
    EXPECT_EQ(ItemTexts(second2), L"Second bar");
}

// The watcher takes every copy while the writer is held back; once it goes
// on, each becomes an entry in the order copied, and a repeat brings its
// entry back.
TEST_F(HistoryCatalogueTest, CopiesWaitingForTheWriterAllBecomeEntriesInOrder) {
    store.SetQueueSize(100);
    Start();
    Copy("text Before");
    store.HoldWriter(true);
    std::wstring expected = L"Before";
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(source.Copy("text Burst " + std::to_string(i)));
        ASSERT_TRUE(WaitUntil([&] { return store.GetCopiedSequence() >= source.LastSequence(); }));
        expected += L",Burst " + std::to_wstring(i);
    }
    ASSERT_TRUE(source.Copy("text Burst 3"));
    ASSERT_TRUE(WaitUntil([&] { return store.GetCopiedSequence() >= source.LastSequence(); }));
    EXPECT_EQ(ItemTexts(store), L"Before");
    EXPECT_EQ(SnapshotFiles(folder).size(), 1u);

    store.HoldWriter(false);
    store.Flush();
    EXPECT_EQ(ItemTexts(store), expected);
    EXPECT_TRUE(FindByText(store, L"Burst 3")->IsCurrent());
    EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
    ASSERT_TRUE(SaveIndexFile(store, IndexPath()));
    CObClipboard reloaded(folder.Path().c_str());
    ASSERT_TRUE(LoadIndexFile(reloaded, IndexPath()));
    EXPECT_EQ(ItemTexts(reloaded), expected);
}

// In a quick burst the catalogue waits for the copies to pause, and is
// written then with nothing else to ask for it.
TEST_F(HistoryCatalogueTest, TheCatalogueListsABurstOnceTheCopiesPause) {
    store.SetQueueSize(100);
    Start();
    Copy("text Before");
    const std::wstring path = CataloguePath();
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(source.Copy("pumpburst 20 5 Quick"));
    ASSERT_TRUE(WaitForSequence(store, source.LastSequence()));
    CHistoryCatalogue catalogue(folder.Path());
    catalogue.SetIds(IdsOf(path));
    EXPECT_TRUE(WaitUntil([&] {
        CHistoryCatalogue::Contents contents;
        return catalogue.Read(&contents) && contents.entries.size() == static_cast<size_t>(store.GetItemCount());
    }));
    EXPECT_GT(store.GetItemCount(), 10);
}

// ---- a bar killed ---------------------------------------------------------------

class KilledBarTest : public HistoryCatalogueTest {
protected:
    void SetUp() override {
        HistoryCatalogueTest::SetUp();
        host.reset(new COtherApp(WinePath(MX_HISTORY_HOST), L"\"" + folder.Path() + L"\""));
        ASSERT_TRUE(host->IsRunning());
    }
    void TearDown() override {
        if (host) host->Kill();
        HistoryCatalogueTest::TearDown();
    }
    void Step(const std::string& line) {
        const std::string reply = host->Command(line);
        ASSERT_EQ(reply.compare(0, 2, "ok"), 0) << line << ": " << reply;
    }
    // The other program copies; the bar has captured it when this returns.
    void HostCopies(const std::string& text) {
        ASSERT_TRUE(source.Copy("text " + text));
        Step("wait " + std::to_string(source.LastSequence()));
    }
    void HostCopiesRange(int from, int to) {
        for (int i = from; i <= to; ++i) HostCopies("Copy " + std::to_string(i));
    }
    std::wstring Range(int from, int to, int without = 0) {
        std::wstring all;
        for (int i = from; i <= to; ++i) {
            if (i == without) continue;
            if (!all.empty()) all += L",";
            all += L"Copy " + std::to_wstring(i);
        }
        return all;
    }
    void Kill() {
        host->Kill();
        host.reset();
    }
    // The bar starts again with the settings it saved, or none.
    void ExpectRestart(const std::wstring& expected, bool saved) {
        CObClipboard restarted(folder.Path().c_str());
        if (saved) ASSERT_TRUE(LoadIndexFile(restarted, IndexPath()));
        else restarted.LoadUnsaved();
        EXPECT_EQ(ItemTexts(restarted), expected);
        EXPECT_EQ(ListedFiles(restarted), SnapshotFiles(folder));
        EXPECT_EQ(TemporaryFiles(folder), std::set<std::wstring>());
    }

    std::unique_ptr<COtherApp> host;
};

TEST_F(KilledBarTest, EveryCopyComesBackWhenTheBarNeverSaved) {
    Step("load " + Narrow(IndexPath()));
    Step("watch");
    HostCopiesRange(1, 10);
    Kill();
    ExpectRestart(Range(1, 10), false);
}

TEST_F(KilledBarTest, CopiesAfterTheLastSaveComeBackAndADeletedOneStaysGone) {
    Step("load " + Narrow(IndexPath()));
    Step("watch");
    HostCopiesRange(1, 5);
    Step("save " + Narrow(IndexPath()));
    HostCopiesRange(6, 10);
    Step("delete Copy 3");
    HostCopies("Copy 11");
    Kill();
    ExpectRestart(Range(1, 11, 3), true);
}

TEST_F(KilledBarTest, ACopyComesBackWhenTheBarDiesWritingTheCatalogue) {
    Step("load " + Narrow(IndexPath()));
    Step("watch");
    HostCopiesRange(1, 9);
    Step("save " + Narrow(IndexPath()));
    const std::wstring name = L"mx-catalogue-paused-" + std::to_wstring(GetCurrentProcessId());
    mx::unique_handle paused(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    Step("pausewrite " + Narrow(name));
    ASSERT_TRUE(source.Copy("text Copy 10"));
    ASSERT_EQ(WaitForSingleObject(paused.get(), 20000), WAIT_OBJECT_0);
    Kill();
    ExpectRestart(Range(1, 10), true);
}

}  // namespace
