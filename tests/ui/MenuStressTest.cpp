// Copies keep coming from another thread while the bar walks, sizes, draws
// and describes the menu over and over; at the end the history, its files
// and the menu agree, and no walk left a hold behind.
#include <gtest/gtest.h>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>
#include "clipdata/CClipboardItem.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"

using namespace clipcontent;

namespace {

const int kCopies = 30;

// One look at the whole menu as the bar gives it to a person.
void UseMenu(CMenuTestBar& bar) {
    for (const Entry& entry : bar.Menu()) {
        DVLBUTTONINFO info{};
        info.mask = DVLINFO_SIZE | DVLINFO_SIZE2;
        entry->GetInfo(&info);
        CPixels pixels(300, 60);
        const RECT rect = {0, 0, 300, 60};
        entry->DrawButtonIcon(pixels.Dc(), &rect, 0);
        DWORD flags = 0;
        entry->HandleMessage(17, 0, &flags);
        bar.TipText(entry.Get());
    }
}

}  // namespace

TEST(MenuStress, CapturesWhileTheBarBuildsDrawsAndWalksTheMenu) {
    OleScope ole;
    CMenuTestBar bar;
    ASSERT_TRUE(bar.IsReady());
    CObClipboard& store = bar.Button()->GetStore();
    std::atomic<bool> done{false};
    std::atomic<int> copied{0};
    std::thread copier([&] {
        // A window of this thread owns the copies, as a program's window does.
        HWND owner = CreateWindowExW(0, L"STATIC", L"stress copies", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr);
        for (int i = 0; i < kCopies; ++i) {
            std::vector<Format> formats = {Unicode(L"stress " + std::to_wstring(i))};
            if (i % 3 == 0) formats.push_back(Dib(16 + i, 8, i));
            if (PutOnClipboard(owner, formats)) ++copied;
            // Most copies are seen before the next; some may be passed over.
            for (int wait = 0; wait < 100 && store.GetLastSequence() < GetClipboardSequenceNumber(); ++wait)
                Sleep(2);
        }
        DestroyWindow(owner);
        done = true;
    });
    int looks = 0;
    while (!done) {
        UseMenu(bar);
        PumpFor(0);
        ++looks;
    }
    copier.join();
    EXPECT_EQ(kCopies, copied.load());
    EXPECT_GT(looks, 1) << "the menu was used while the copies came";

    const std::wstring last = L"stress " + std::to_wstring(kCopies - 1);
    ASSERT_TRUE(WaitUntil([&] { return store.GetLastSequence() >= GetClipboardSequenceNumber(); }));
    EXPECT_EQ(0, bar.SharedHolds());
    std::vector<Entry> menu = bar.Menu();
    EXPECT_EQ(0, bar.SharedHolds());
    ASSERT_EQ(static_cast<size_t>(bar.Count()), menu.size());
    EXPECT_LE(bar.Count(), store.GetQueueSize());
    EXPECT_GE(bar.Count(), 2);
    EXPECT_EQ(static_cast<size_t>(bar.Count()), SnapshotFileCount()) << "one file per entry, none left over";
    std::set<int> ids;
    int current = 0;
    for (const Entry& entry : menu) {
        CClipboardItem* item = CMenuTestBar::ItemOf(entry.Get());
        ASSERT_NE(nullptr, item);
        ids.insert(item->GetId());
        if (item->IsCurrent()) {
            ++current;
            std::wstring tip = bar.TipText(entry.Get());
            EXPECT_EQ(tip.size() - last.size(), tip.rfind(last)) << tip.c_str();
        }
    }
    EXPECT_EQ(menu.size(), ids.size()) << "every id once";
    EXPECT_EQ(1, current) << "the last copy is the current entry";
}
