// Copies from another process while this thread walks, locks, deletes,
// restores and saves: the history must stay consistent with the folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "base/CPluginStream.h"
#include "clipdata/CClipboardItem.h"
#include "tests/watcher/WatcherTestSupport.h"
#include "watcher/CObClipboard.h"

using Microsoft::WRL::ComPtr;

namespace {

const int kCopies = 60;
const int kQueueSize = 6;

// Walks the list under the shared lock the way the menu does.
int WalkShared(CObClipboard& store) {
    int current = 0;
    CObReadWriteLock::SharedHold hold(store.GetLock());
    for (int i = 0; i < store.GetItemCount(); ++i) {
        ItemRef item = store.GetItem(i);
        if (!item) break;
        current += item->IsCurrent() ? 1 : 0;
        item->TakeStateChanged();
        item->TakeTimeChanged();
    }
    return current;
}

void SaveIndex(CObClipboard& store, ComPtr<IStream>& stream) {
    CPluginStream settings;
    settings.BeginGroup(L"clipboard");
    store.SaveIndex(settings);
    settings.EndGroup();
    stream.Reset();
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    settings.WriteTo(stream.Get());
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

TEST(HistoryStressTest, ConcurrentChangesKeepTheHistoryConsistent) {
    CoInitialize(nullptr);
    CTempFolder folder;
    CountingHandler handler;
    COtherApp source;
    ASSERT_TRUE(source.IsRunning());
    {
        CObClipboard store(folder.Path().c_str());
        store.SetEventHandler(&handler);
        store.SetQueueSize(kQueueSize);
        store.SetWatching(true);
        ASSERT_TRUE(WaitForWatcher(store));

        // One copy at a time, each one raced by this thread's changes until
        // the watcher has handled it. (A burst of copies is no race under
        // Wine: its clipboard open waits until the burst is over.)
        unsigned round = 0;
        int maxCurrent = 0;
        ComPtr<IStream> index;
        auto disturb = [&] {
            ++round;
            maxCurrent = std::max(maxCurrent, WalkShared(store));
            const int count = store.GetItemCount();
            if (count > 0) {
                ItemRef item = store.GetItem(static_cast<int>(round % count));
                if (item) {
                    if (round % 7 == 0) item->SetLocked(true);
                    if (round % 5 == 0) store.DeleteItem(item->GetId());
                    if (round % 3 == 0) store.PostRestore(item->GetId());
                }
            }
            if (round % 11 == 0) SaveIndex(store, index);
        };
        for (int i = 0; i < kCopies; ++i) {
            ASSERT_TRUE(source.Post("text stress " + std::to_string(i)));
            while (!source.HasReply()) disturb();
            std::string reply = source.Reply();
            ASSERT_EQ(reply.compare(0, 2, "ok"), 0) << reply;
            unsigned long sequence = 0;
            sscanf(reply.c_str(), "ok %lu", &sequence);
            // A restore posted before may replace the copy before it is read.
            const ULONGLONG end = GetTickCount64() + 3000;
            while (store.GetLastSequence() < sequence && GetTickCount64() < end) {
                disturb();
                WaitUntil([] { return false; }, 1);
            }
        }
        // Once the posted restores have run, one more copy must be captured.
        WaitUntil([] { return false; }, 300);
        ASSERT_TRUE(source.Copy("text final"));
        ASSERT_TRUE(WaitForSequence(store, source.LastSequence(), 10000));
        ItemRef final = FindByText(store, L"final");
        EXPECT_NE(final, nullptr);
        store.SetWatching(false);

        EXPECT_GT(round, 10u);
        EXPECT_LE(maxCurrent, 1);
        EXPECT_LE(WalkShared(store), 1);
        std::set<int> ids;
        int unlocked = 0;
        for (int i = 0; i < store.GetItemCount(); ++i) {
            ItemRef item = store.GetItem(i);
            EXPECT_GT(item->GetId(), 0);
            ids.insert(item->GetId());
            unlocked += item->IsLocked() ? 0 : 1;
            EXPECT_GT(item->GetFormatCount(), 0);
        }
        EXPECT_EQ(static_cast<int>(ids.size()), store.GetItemCount());
        EXPECT_LE(unlocked, kQueueSize);
        EXPECT_EQ(ListedFiles(store), SnapshotFiles(folder));
        EXPECT_GT(handler.Count(), kCopies / 2);

        // The saved index reloads every entry.
        SaveIndex(store, index);
        CObClipboard reloaded(folder.Path().c_str());
        CPluginStream settings;
        settings.ReadFrom(index.Get());
        ASSERT_TRUE(settings.EnterGroup(L"clipboard"));
        reloaded.LoadIndex(settings);
        EXPECT_EQ(reloaded.GetItemCount(), store.GetItemCount());
        EXPECT_EQ(ListedFiles(reloaded), SnapshotFiles(folder));
    }
    CoUninitialize();
}

}  // namespace
