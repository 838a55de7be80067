// The history list driven the real way: otherapp.exe copies, the watcher
// thread captures, the test thread trims, deletes, swaps and saves.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <set>
#include <string>
#include <vector>

#include "base/CPluginStream.h"
#include "clipdata/CClipboardItem.h"
#include "tests/watcher/CWatcherTest.h"

using Microsoft::WRL::ComPtr;

namespace {

class HistoryStoreTest : public CWatcherTest {
protected:
    void SetUp() override {
        CWatcherTest::SetUp();
        if (!HasFatalFailure()) Start();
    }
    void CopyTexts(const std::vector<std::string>& texts) {
        for (const std::string& t : texts) Copy("text " + t);
    }
    int IdOf(const std::wstring& text) {
        ItemRef item = FindByText(store, text);
        int id = item ? item->GetId() : 0;
        return id;
    }
    bool IsCurrent(const std::wstring& text) {
        ItemRef item = FindByText(store, text);
        bool current = item && item->IsCurrent();
        return current;
    }
    void SetLocked(const std::wstring& text) {
        ItemRef item = FindByText(store, text);
        ASSERT_NE(item, nullptr);
        item->SetLocked(true);
    }
    // Every listed file is on disk and nothing else is.
    // Removed entries' files go after the catalogue is written, behind the writer.
    void ExpectFilesMatch() {
        store.Flush();
        EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
    }
};

TEST_F(HistoryStoreTest, CopyingAnOlderContentAgainBringsItBack) {
    CopyTexts({"Alpha", "Beta"});
    ASSERT_EQ(ItemTexts(store), L"Alpha,Beta");
    EXPECT_TRUE(IsCurrent(L"Beta"));
    EXPECT_FALSE(IsCurrent(L"Alpha"));
    ItemRef alpha = FindByText(store, L"Alpha");
    ASSERT_NE(alpha, nullptr);
    const std::wstring file = alpha->GetFileName();
    const int id = alpha->GetId();
    const SYSTEMTIME first = alpha->GetTime();
    alpha->TakeStateChanged();
    const int notices = handler.Count();
    Sleep(20);

    Copy("text Alpha");
    EXPECT_EQ(ItemTexts(store), L"Alpha,Beta");
    EXPECT_TRUE(alpha->IsCurrent());
    EXPECT_FALSE(IsCurrent(L"Beta"));
    EXPECT_EQ(alpha->GetFileName(), file);
    EXPECT_EQ(alpha->GetId(), id);
    EXPECT_TRUE(alpha->TakeTimeChanged());
    EXPECT_TRUE(alpha->TakeStateChanged());
    const SYSTEMTIME renewed = alpha->GetTime();
    EXPECT_NE(memcmp(&first, &renewed, sizeof first), 0);
    EXPECT_EQ(handler.Count(), notices + 1);
    EXPECT_EQ(store.GetPreviousId(), IdOf(L"Beta"));
    ExpectFilesMatch();

    // The current content once more: nothing changes, nobody is told.
    Copy("text Alpha");
    EXPECT_EQ(ItemTexts(store), L"Alpha,Beta");
    EXPECT_FALSE(alpha->TakeTimeChanged());
    EXPECT_FALSE(alpha->TakeStateChanged());
    EXPECT_EQ(handler.Count(), notices + 1);
    ExpectFilesMatch();
    EXPECT_EQ(handler.Threads(), 2);  // captures notify on the watcher thread
}

// The entry copied longest ago goes, not the first in the list: copying A
// again makes it the newest.
TEST_F(HistoryStoreTest, AQueueOfThreeDropsTheEntryCopiedLongestAgo) {
    store.SetQueueSize(3);
    CopyTexts({"A", "B", "C"});
    EXPECT_EQ(SnapshotFiles(folder).size(), 3u);
    Copy("text A");
    EXPECT_EQ(ItemTexts(store), L"A,B,C");
    ItemRef b = FindByText(store, L"B");
    ASSERT_NE(b, nullptr);
    const std::wstring bFile = b->GetFileName();
    Copy("text D");
    EXPECT_EQ(ItemTexts(store), L"A,C,D");
    EXPECT_EQ(SnapshotFiles(folder).count(bFile), 0u);
    ExpectFilesMatch();
}

TEST_F(HistoryStoreTest, LockedItemsDoNotCountAgainstTheQueue) {
    store.SetQueueSize(3);
    CopyTexts({"L1", "L2"});
    SetLocked(L"L1");
    SetLocked(L"L2");
    CopyTexts({"c3", "c4", "c5", "c6"});
    EXPECT_EQ(ItemTexts(store), L"L1,L2,c4,c5,c6");
    ExpectFilesMatch();

    // A smaller queue trims at once, oldest unlocked first.
    const int notices = handler.Count();
    store.SetQueueSize(1);
    EXPECT_EQ(ItemTexts(store), L"L1,L2,c6");
    EXPECT_EQ(handler.Count(), notices + 1);
    ExpectFilesMatch();
}

TEST_F(HistoryStoreTest, AQueueSizeOfZeroMeansTen) {
    store.SetQueueSize(0);
    EXPECT_EQ(store.GetQueueSize(), 10);
    for (int i = 0; i < 11; ++i) Copy("text n" + std::to_string(i));
    EXPECT_EQ(store.GetItemCount(), 10);
    EXPECT_EQ(FindByText(store, L"n0"), nullptr);
    ExpectFilesMatch();
    store.SetQueueSize(-4);
    EXPECT_EQ(store.GetQueueSize(), 10);
}

TEST_F(HistoryStoreTest, DeletingAllSparesLockedItemsUnlessAsked) {
    CopyTexts({"d1", "d2", "d3", "d4"});
    SetLocked(L"d2");
    SetLocked(L"d4");
    const int notices = handler.Count();
    store.DeleteAllItems(false);
    EXPECT_EQ(ItemTexts(store), L"d2,d4");
    EXPECT_EQ(handler.Count(), notices + 1);
    ExpectFilesMatch();

    store.DeleteAllItems(true);
    EXPECT_EQ(store.GetItemCount(), 0);
    EXPECT_TRUE(SnapshotFiles(folder).empty());
    EXPECT_EQ(handler.Count(), notices + 2);
    store.DeleteAllItems(true);
    EXPECT_EQ(handler.Count(), notices + 2);
}

TEST_F(HistoryStoreTest, DeletingOneRemovesItsFileEvenWhileReferenced) {
    CopyTexts({"keep", "drop"});
    ItemRef drop = FindByText(store, L"drop");
    ASSERT_NE(drop, nullptr);
    const int notices = handler.Count();
    store.DeleteItem(drop->GetId());
    EXPECT_EQ(ItemTexts(store), L"keep");
    EXPECT_EQ(handler.Count(), notices + 1);
    ExpectFilesMatch();
    EXPECT_EQ(PreviewOf(drop.get()), L"drop");  // the menu entry's reference still works
    store.DeleteItem(12345);
    EXPECT_EQ(handler.Count(), notices + 1);
    EXPECT_EQ(store.GetItem(store.GetItemCount()), nullptr);
    EXPECT_EQ(store.GetItem(-1), nullptr);
}

TEST_F(HistoryStoreTest, SwapGoesBackAndForth) {
    const DWORD sequence = GetClipboardSequenceNumber();
    store.SwapLastTwo();  // nothing was ever current
    Sleep(100);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    EXPECT_EQ(handler.Count(), 0);

    CopyTexts({"A", "B"});
    EXPECT_EQ(ClipboardText(), L"B");
    int notices = handler.Count();
    store.SwapLastTwo();
    ASSERT_TRUE(WaitUntil([&] { return handler.Count() > notices; }));
    EXPECT_EQ(ClipboardText(), L"A");
    EXPECT_TRUE(IsCurrent(L"A"));
    EXPECT_FALSE(IsCurrent(L"B"));

    notices = handler.Count();
    store.SwapLastTwo();
    ASSERT_TRUE(WaitUntil([&] { return handler.Count() > notices; }));
    EXPECT_EQ(ClipboardText(), L"B");
    EXPECT_TRUE(IsCurrent(L"B"));
    EXPECT_EQ(ItemTexts(store), L"A,B");
    ExpectFilesMatch();
}

// ---- the history index ------------------------------------------------------

// What the root button does: the index inside a "clipboard" group, through a
// real IStream.
void SaveThroughStream(CObClipboard& store, ComPtr<IStream>& stream) {
    CPluginStream settings;
    settings.BeginGroup(L"clipboard");
    store.SaveIndex(settings);
    settings.EndGroup();
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    settings.WriteTo(stream.Get());
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

void LoadThroughStream(CObClipboard& store, IStream* stream) {
    CPluginStream settings;
    settings.ReadFrom(stream);
    ASSERT_TRUE(settings.EnterGroup(L"clipboard"));
    store.LoadIndex(settings);
}

TEST_F(HistoryStoreTest, TheIndexCarriesTheHistoryOver) {
    store.SetQueueSize(7);
    CopyTexts({"i1", "i2", "i3"});
    SetLocked(L"i2");
    ComPtr<IStream> stream;
    SaveThroughStream(store, stream);
    {
        CPluginStream check;
        check.ReadFrom(stream.Get());
        const wchar_t* names[] = {L"clipboard", L"id1", L"id2", L"id3", L"nextID", L"queueSize",
                                  L"items", L"count", L"item0", L"time", L"file", L"ID",
                                  L"locked", L"item0"};
        ASSERT_GE(check.GetRecordCount(), 14u);
        for (DWORD i = 0; i < 14; ++i) EXPECT_STREQ(check.GetRecordName(i), names[i]) << i;
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
    store.SetWatching(false);

    CObClipboard reloaded(folder.Path().c_str());
    LoadThroughStream(reloaded, stream.Get());
    EXPECT_EQ(ItemTexts(reloaded), L"i1,i2,i3");
    EXPECT_EQ(reloaded.GetQueueSize(), 7);
    EXPECT_EQ(ListedFiles(reloaded), ListedFiles(store));
    EXPECT_EQ(reloaded.GetNextId(), store.GetNextId());
    for (int i = 0; i < 3; ++i) {
        ItemRef a = store.GetItem(i);
        ItemRef b = reloaded.GetItem(i);
        EXPECT_EQ(a->GetId(), b->GetId());
        EXPECT_EQ(a->IsLocked(), b->IsLocked());
        EXPECT_FALSE(b->IsCurrent());
        EXPECT_EQ(CObClipboard::CompareItemTimes(a.get(), b.get()), 0);
        EXPECT_TRUE(a->IsContainedIn(b.get()) && b->IsContainedIn(a.get()));
    }
    EXPECT_EQ(reloaded.GetPreviousId(), IdOf(L"i3"));
    // No item is current after a load, so swap has nothing to swap with.
    reloaded.SwapLastTwo();
    EXPECT_EQ(ItemTexts(reloaded), L"i1,i2,i3");
}

// Builds an index by hand from the records of existing items.
class IndexBuilder {
public:
    IndexBuilder() { settings.BeginGroup(L"clipboard"); }
    void Ids(int id1, int id2, int id3, int nextId) {
        settings.WriteInt(L"id1", id1);
        settings.WriteInt(L"id2", id2);
        settings.WriteInt(L"id3", id3);
        if (nextId) settings.WriteInt(L"nextID", nextId);
    }
    void BeginItems(int count) {
        settings.BeginGroup(L"items");
        settings.WriteInt(L"count", count);
    }
    void Item(int position, const CClipboardItem* item, int id, const wchar_t* file = nullptr) {
        WCHAR group[32];
        swprintf(group, 32, L"item%d", position);
        settings.BeginGroup(group);
        const SYSTEMTIME time = item->GetTime();
        settings.WriteBinary(L"time", &time, sizeof time);
        settings.WriteString(L"file", file ? file : item->GetFileName());
        if (id >= 0) settings.WriteInt(L"ID", id);
        settings.WriteInt(L"locked", 0);
        settings.EndGroup();
    }
    void Load(CObClipboard& store) {
        settings.EndGroup();
        settings.EndGroup();
        ComPtr<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        settings.WriteTo(stream.Get());
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        LoadThroughStream(store, stream.Get());
    }
    CPluginStream settings;
};

TEST_F(HistoryStoreTest, AnIndexWithAMissingItemGroupLoadsTheRest) {
    CopyTexts({"g0", "g1", "g2", "g3"});
    store.SetWatching(false);
    std::vector<ItemRef> items;
    for (int i = 0; i < 4; ++i) items.push_back(store.GetItem(i));
    IndexBuilder index;
    index.Ids(1, 2, 3, 50);
    index.BeginItems(4);
    index.Item(0, items[0].get(), items[0]->GetId());
    index.Item(1, items[1].get(), items[1]->GetId());
    index.Item(3, items[3].get(), items[3]->GetId());
    CObClipboard reloaded(folder.Path().c_str());
    index.Load(reloaded);
    EXPECT_EQ(ItemTexts(reloaded), L"g0,g1,g3");
    EXPECT_EQ(reloaded.GetQueueSize(), 10);  // no "queueSize" in this index

    ComPtr<IStream> stream;
    SaveThroughStream(reloaded, stream);
    CPluginStream again;
    again.ReadFrom(stream.Get());
    ASSERT_TRUE(again.EnterGroup(L"clipboard"));
    ASSERT_TRUE(again.EnterGroup(L"items"));
    EXPECT_EQ(again.ReadInt(L"count", 0), 3);
    for (int i = 0; i < 3; ++i) {
        WCHAR group[32];
        swprintf(group, 32, L"item%d", i);
        ASSERT_TRUE(again.EnterGroup(group)) << i;
        EXPECT_EQ(again.ReadInt(L"ID", 0), items[i == 2 ? 3 : i]->GetId());
        again.LeaveGroup();
    }
    EXPECT_FALSE(again.EnterGroup(L"item3"));
}

TEST_F(HistoryStoreTest, BadRecordsAreDroppedAndIdsStayUnique) {
    CopyTexts({"r0", "r1", "r2"});
    store.SetWatching(false);
    std::vector<ItemRef> items;
    for (int i = 0; i < 3; ++i) items.push_back(store.GetItem(i));
    IndexBuilder index;  // no ids, no "nextID"
    index.BeginItems(1000000);
    index.Item(0, items[0].get(), -1);                      // no "ID"
    index.Item(1, items[1].get(), 0);                       // "ID" 0
    index.Item(2, items[2].get(), 9, L"vanished.dvlclip");  // file gone
    index.Item(3, items[0].get(), 5);
    index.Item(4, items[1].get(), 5);                       // a repeated id
    index.Item(5, items[1].get(), 6);                       // a file another record owns
    index.Item(6, items[2].get(), 2);
    CObClipboard reloaded(folder.Path().c_str());
    reloaded.SetEventHandler(&handler);
    index.Load(reloaded);
    ASSERT_EQ(ItemTexts(reloaded), L"r0,r1,r2");
    std::set<int> ids;
    for (int i = 0; i < 3; ++i) {
        ItemRef item = reloaded.GetItem(i);
        EXPECT_GT(item->GetId(), 0);
        ids.insert(item->GetId());
    }
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_GT(reloaded.GetNextId(), *ids.rbegin());

    // New captures get fresh ids and file names, even with a file of the
    // would-be name lying in the folder.
    reloaded.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(reloaded));
    ASSERT_TRUE(source.Copy("text fresh"));
    ASSERT_TRUE(WaitForSequence(reloaded, source.LastSequence()));
    ItemRef fresh = FindByText(reloaded, L"fresh");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(ids.count(fresh->GetId()), 0u);
    EXPECT_GT(fresh->GetId(), 0);
    std::set<std::wstring> names = ListedFiles(reloaded);
    EXPECT_EQ(names.size(), 4u);
    reloaded.SetWatching(false);
}

TEST_F(HistoryStoreTest, ANewFileNeverReplacesOneOnDisk) {
    store.SetWatching(false);
    CObClipboard named(folder.Path().c_str());
    IndexBuilder index;
    index.Ids(0xA, 0xB, 0xC, 3);
    index.BeginItems(0);
    index.Load(named);
    const std::wstring squatter = folder.File(L"A-B-C-3.dvlclip");
    {
        HANDLE f = CreateFileW(squatter.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, "not mine", 8, &written, nullptr);
        CloseHandle(f);
    }
    named.SetWatching(true);
    ASSERT_TRUE(WaitForWatcher(named));
    ASSERT_TRUE(source.Copy("text newcomer"));
    ASSERT_TRUE(WaitForSequence(named, source.LastSequence()));
    ItemRef item = named.GetItem(0);
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->GetFileName(), L"A-B-C-4.dvlclip");
    EXPECT_EQ(item->GetId(), 4);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExW(squatter.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 8u);
    named.SetWatching(false);
}

}  // namespace

// The ids part of a snapshot's file name: "id1-id2-id3-".
std::wstring IdsOf(CObClipboard& store) {
    ItemRef item = store.GetHistory().CreateItem();
    const std::wstring name = item->GetFileName();
    const size_t last = name.rfind(L'-');
    return last == std::wstring::npos ? std::wstring() : name.substr(0, last + 1);
}

// Stores made within one second, whether in one folder or in folders of
// their own, name their files apart.
TEST(HistoryIdsTest, StoresMadeAtOnceNameTheirFilesApart) {
    CTempFolder shared, own1, own2;
    CObClipboard a(shared.Path().c_str()), b(shared.Path().c_str());
    CObClipboard c(own1.Path().c_str()), d(own2.Path().c_str());
    std::set<std::wstring> ids;
    for (CObClipboard* store : {&a, &b, &c, &d}) {
        const std::wstring prefix = IdsOf(*store);
        unsigned id1 = 0, id2 = 0, id3 = 0;
        WCHAR rest[8] = {};
        EXPECT_EQ(swscanf(prefix.c_str(), L"%X-%X-%X%1ls", &id1, &id2, &id3, rest), 4)
            << Narrow(prefix);
        ids.insert(prefix);
    }
    EXPECT_EQ(ids.size(), 4u);
}
