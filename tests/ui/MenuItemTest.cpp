// History menu entries in this process, driven through their wrappers as
// the bar drives them, over the real clipboard and history folder.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>
#include "base/CPluginStream.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CHGLOBALTextformatBase.h"
#include "host/bar/CDvlHostSite.h"
#include "host/bar/CHistoryMenu.h"
#include "host/automation/CMessageBoxAnswerer.h"
#include "host/bar/HostOptions.h"
#include "plugin/CPlugin.h"
#include "tests/support/COtherApp.h"
#include "tests/ui/CGermanBarFolder.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"
#include "ui/CMenuItem.h"

using namespace clipcontent;

namespace {

class MenuItem : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bar.IsReady()); }
    OleScope ole;
    CMenuTestBar bar;
};

std::vector<std::wstring> ContextMenu(IDvlButton* entry, std::vector<UINT>* states = nullptr) {
    std::vector<std::wstring> texts;
    for (const CContextMenu::Item& item : ReadContextMenu(entry)) {
        texts.push_back(item.text);
        if (states) states->push_back(item.state);
    }
    return texts;
}

std::wstring LocalTime(const CClipboardItem* item) {
    SYSTEMTIME utc = item->GetTime(), local{};
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    WCHAR date[255], time[255];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 255);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 255);
    return std::wstring(date) + L" " + time;
}

std::wstring PreviewOf(const CClipboardItem* item) {
    auto* text = item ? dynamic_cast<CHGLOBALTextformatBase*>(item->GetMainFormat()) : nullptr;
    return text && text->GetPreview() ? text->GetPreview() : L"";
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

TEST_F(MenuItem, NamesFixedAnswersAndChangeFlags) {
    ASSERT_TRUE(bar.CopyText(L"alpha", 1));
    ASSERT_TRUE(bar.CopyText(L"beta", 2));
    // The same text again brings the first entry back: a new time, current again.
    ASSERT_TRUE(RunOtherApp({L"text:alpha"}));
    ItemRef first = bar.Button()->GetStore().GetItem(0);
    ASSERT_TRUE(first);
    EXPECT_TRUE(WaitUntil([&] { return first->IsCurrent(); }));
    ASSERT_EQ(2, bar.Count());

    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(2u, menu.size());
    IDvlButton* alpha = menu[0].Get();
    WCHAR text[MAX_PATH] = L"";
    ASSERT_EQ(S_OK, alpha->HandleMessage(27, 0, text));
    EXPECT_STREQ(L"Clip#1", text);
    ASSERT_EQ(S_OK, alpha->HandleMessage(18, 0, text));
    EXPECT_STREQ(L"clip:1", text);

    DWORD flags = 0;
    ASSERT_EQ(S_OK, alpha->HandleMessage(17, 0, &flags));
    EXPECT_EQ(0x500u, flags);
    ASSERT_EQ(S_OK, alpha->HandleMessage(17, 0, &flags));
    EXPECT_EQ(0u, flags);
    ASSERT_EQ(S_OK, menu[1]->HandleMessage(17, 0, &flags));
    EXPECT_EQ(0x400u, flags) << "made current, then no longer: no new time";

    DVLBUTTONINFO info{};
    info.mask = DVLINFO_STYLE | DVLINFO_KIND | DVLINFO_TEXT;
    wcscpy(info.text, L"old");
    ASSERT_EQ(S_OK, alpha->GetInfo(&info));
    EXPECT_EQ(32u | 0x80u, info.style);
    EXPECT_EQ(4u, info.kind);
    EXPECT_STREQ(L"", info.text);
    DWORD value = 77;
    EXPECT_EQ(S_OK, alpha->HandleMessage(45, 0, &value));
    EXPECT_EQ(3u, value);
    EXPECT_EQ(S_OK, alpha->HandleMessage(46, 0, &value));
    EXPECT_EQ(0u, value);
    for (UINT code : {9u, 19u, 26u, 44u}) {
        value = 5;
        alpha->HandleMessage(code, 0, &value);
        EXPECT_EQ(0u, value) << code;
    }
    HICON large = nullptr;
    ASSERT_EQ(S_OK, alpha->HandleMessage(23, 0, &large));
    EXPECT_EQ(bar.Button()->GetKindIcon(1, 32), large);
    EXPECT_EQ(S_FALSE, alpha->Command(DVLCMD_2, 0, 0));
    EXPECT_EQ(S_FALSE, alpha->Command(DVLCMD_2000, 0, 0));
    EXPECT_EQ(L"Clipboard Snapshot", bar.TipCaption(alpha));

    // The root orders its entries by capture time: alpha came back last.
    DVLCOMPARE byTime{menu[0].Get(), menu[1].Get(), 1, 0};
    ASSERT_EQ(S_OK, bar.Root()->HandleMessage(20, 0, &byTime));
    EXPECT_EQ(1, byTime.result);
    DVLCOMPARE reverse{menu[1].Get(), menu[0].Get(), 1, 0};
    bar.Root()->HandleMessage(20, 0, &reverse);
    EXPECT_EQ(-1, reverse.result);
    DVLCOMPARE itself{menu[1].Get(), menu[1].Get(), 1, 9};
    bar.Root()->HandleMessage(20, 0, &itself);
    EXPECT_EQ(0, itself.result);
    // An item the walk did not give makes no entry.
    DVLCREATECHILD none{bar.Root(), nullptr, nullptr};
    EXPECT_EQ(S_FALSE, bar.Root()->HandleMessage(16, 0, &none));
}

TEST_F(MenuItem, TooltipsListFormatsInListOrderAndDescribeThePreferredOne) {
    // Formats in the order HTML, Unicode text: listed so, described by the text.
    ASSERT_TRUE(bar.Copy({Html("<b>bold</b> words"), Unicode(L"bold words")}, 1));
    Entry html = bar.Newest();
    CClipboardItem* item = CMenuTestBar::ItemOf(html.Get());
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(L"Formats:\t<b>HTML, Text</b><br>Time:\t<b>" + LocalTime(item) +
                  L"</b><br><hr=100%><br>bold words",
              bar.TipText(html.Get()));

    // A file list and text: both listed in capture order, the text describes.
    ASSERT_TRUE(bar.Copy({Unicode(L"C:\\notes.txt"), Drop(L"C:\\notes.txt|C:\\more.txt")}, 2));
    std::wstring files = bar.TipText(bar.Newest().Get());
    EXPECT_EQ(0u, files.find(L"Formats:\t<b>Text, Files</b><br>Time:\t<b>")) << files.c_str();
    EXPECT_TRUE(EndsWith(files, L"<br><hr=100%><br>C:\\notes.txt")) << files.c_str();

    // A picture and text: the picture's three lines, no rule and no text.
    ASSERT_TRUE(bar.Copy({Unicode(L"caption"), Dib(20, 10, 3)}, 3));
    std::wstring picture = bar.TipText(bar.Newest().Get());
    EXPECT_EQ(0u, picture.find(L"Formats:\t<b>Text, Image</b>")) << picture.c_str();
    EXPECT_TRUE(EndsWith(picture, L"</b><br>Dimensions:<t><b>20 x 10</b><br>Colors:<t><b>32 bits per pixel</b>"
                                  L"<br>Image size:<t><b>800 bytes</b>"))
        << picture.c_str();
    EXPECT_EQ(std::wstring::npos, picture.find(L"<hr=100%>"));
    EXPECT_EQ(std::wstring::npos, picture.find(L"caption"));

    // Blanks only: an empty preview, the text ends with the rule.
    ASSERT_TRUE(bar.Copy({Unicode(L"    ")}, 4));
    EXPECT_TRUE(EndsWith(bar.TipText(bar.Newest().Get()), L"</b><br><hr=100%><br>"));
}

TEST_F(MenuItem, LabelsAndMenuTextsComeFromTheLanguageDocument) {
    ASSERT_TRUE(bar.CopyText(L"hallo", 1));
    {
        CGermanBarFolder barFolder(L"mx-menu-bar", MX_GERMAN_DOCUMENT);
        ASSERT_TRUE(barFolder.Ready());
        ASSERT_EQ(S_OK, bar.Root()->SetLanguage(1031, nullptr));
        Entry entry = bar.Newest();
        std::wstring english;
        CMenuTestBar::ItemOf(entry.Get())->GetDescription(english, nullptr);
        std::wstring german = bar.TipText(entry.Get());
        ASSERT_EQ(0u, german.find(L"Formate:\t<b>Text</b><br>Zeit:\t<b>")) << german.c_str();
        // Only the two labels change.
        german.replace(0, 7, L"Formats");
        german.replace(german.find(L"<br>Zeit:"), 9, L"<br>Time:");
        EXPECT_EQ(english, german);
        EXPECT_EQ(L"Zwischenablage-Schnappschuss", bar.TipCaption(entry.Get()));
        EXPECT_EQ((std::vector<std::wstring>{L"Sperren", L"Speichern...", L"Als reinen Text kopieren"}), ContextMenu(entry.Get()));
        bar.Root()->SetLanguage(1036, nullptr);
    }
}

TEST_F(MenuItem, MeasuringNeverShrinksTheBarsSize) {
    ASSERT_TRUE(bar.CopyText(L"a line to measure", 1));
    Entry entry = bar.Newest();
    for (DWORD mask : {DWORD(DVLINFO_SIZE), DWORD(DVLINFO_SIZE2)}) {
        DVLBUTTONINFO big{};
        big.mask = mask;
        big.size = {1000, 500};
        ASSERT_EQ(S_OK, entry->GetInfo(&big));
        EXPECT_EQ(1000, big.size.cx);
        EXPECT_EQ(500, big.size.cy);
        DVLBUTTONINFO small{};
        small.mask = mask;
        ASSERT_EQ(S_OK, entry->GetInfo(&small));
        EXPECT_GT(small.size.cx, 16 + 4 + 20) << "icon, gap and some text";
        EXPECT_GT(small.size.cy, 4 + 5);
        // Only the side that is too small grows.
        DVLBUTTONINFO wide{};
        wide.mask = mask;
        wide.size = {1000, 1};
        entry->GetInfo(&wide);
        EXPECT_EQ(1000, wide.size.cx);
        EXPECT_EQ(small.size.cy, wide.size.cy);
    }
}

TEST_F(MenuItem, AnEntryDrawsItsIconOverlaysPreviewAndRule) {
    bar.host.iconOffset = {4, 4};
    bar.host.margins = {2, 3, 0, 5};
    bar.host.textColour = RGB(200, 0, 0);
    ASSERT_TRUE(bar.CopyText(L"drawn entry", 1));
    Entry entry = bar.Newest();
    CClipboardItem* item = CMenuTestBar::ItemOf(entry.Get());
    ASSERT_NE(nullptr, item);
    const RECT rect = {0, 0, 200, 40};
    auto draw = [&](CPixels& into) { ASSERT_EQ(S_OK, entry->DrawButtonIcon(into.Dc(), &rect, 0)); };

    for (int size : {16, 32}) {
        bar.host.iconSize = size;
        const int half = size / 2;
        // The icon at the smaller of offset and margin: (2, 3).
        item->SetCurrent(false);
        item->SetLocked(false);
        CPixels plain(200, 40), icon(200, 40);
        draw(plain);
        DrawIconEx(icon.Dc(), 2, 3, bar.Button()->GetKindIcon(1, size), size, size, 0, nullptr, DI_NORMAL);
        RECT iconBox = plain.DiffBox(icon);
        EXPECT_GE(iconBox.left, 2 + size + 4) << "left of the preview only the icon is drawn";

        item->SetLocked(true);
        CPixels locked(200, 40);
        draw(locked);
        RECT lock = locked.DiffBox(plain);
        EXPECT_FALSE(IsRectEmpty(&lock)) << size;
        EXPECT_GE(lock.left, 2 + size - half) << "bottom right, at most half the icon";
        EXPECT_GE(lock.top, 3 + size - half);
        EXPECT_LE(lock.right, 2 + size);
        EXPECT_LE(lock.bottom, 3 + size);
        EXPECT_GT(lock.right - lock.left, half / 2) << "big enough to be seen";

        item->SetLocked(false);
        item->SetCurrent(true);
        CPixels current(200, 40);
        draw(current);
        RECT mark = current.DiffBox(plain);
        EXPECT_FALSE(IsRectEmpty(&mark)) << size;
        EXPECT_GE(mark.left, 2) << "bottom left, at most half the icon";
        EXPECT_LE(mark.right, 2 + half);
        EXPECT_GE(mark.top, 3 + size - half);
        EXPECT_LE(mark.bottom, 3 + size);

        // The rule: one line at the bottom less the margin, from the preview's left.
        const int left = 2 + size + 4;
        for (int x = left; x < 199; ++x) ASSERT_EQ(0xC80000u, plain.At(x, 35)) << x;
        EXPECT_EQ(0xFFFFFFu, plain.At(left - 1, 35));
        EXPECT_EQ(0xFFFFFFu, plain.At(100, 36));
        // The preview text: in the entry's text colour, between the icon and the rule.
        int textPixels = 0;
        for (int y = 0; y < 35 - 3; ++y)
            for (int x = left; x < 200; ++x) textPixels += plain.At(x, y) != 0xFFFFFFu;
        EXPECT_GT(textPixels, 20) << size;
        for (int x = left; x < 200; ++x)
            for (int y = 35 - 3; y < 35; ++y) ASSERT_EQ(0xFFFFFFu, plain.At(x, y)) << x << "," << y;
    }
}

// The stand-in bar's menu, drawn as it shows it: each entry gets the room
// it draws in, so a preview line is not broken and the thumbnail keeps its
// gap above the rule.
TEST_F(MenuItem, TheBarGivesEveryEntryTheRoomItDrawsIn) {
    ASSERT_TRUE(bar.Copy({Unicode(L"several words that fit on one line")}, 1));
    ASSERT_TRUE(bar.Copy({Dib(40, 30, 5)}, 2));
    Microsoft::WRL::ComPtr<CDvlHostSite> site;
    *site.GetAddressOf() = new CDvlHostSite(HostOptions(), nullptr, L"");
    CHistoryMenu menu(bar.Root(), site.Get());
    ASSERT_EQ(S_OK, menu.Refresh(true));
    ASSERT_EQ(2u, menu.Count());
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    ASSERT_EQ(S_OK, menu.Render(-1, width, height, rgba));
    auto pixel = [&](LONG x, LONG y) {
        const BYTE* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return RGB(p[0], p[1], p[2]);
    };
    TEXTMETRICW font{};
    {
        mx::unique_window_dc screen(nullptr);
        mx::unique_select_object select(screen.get(), site->MenuFont());
        GetTextMetricsW(screen.get(), &font);
    }

    const LONG* margins = CDvlHostSite::kEntryMargins;
    const LONG frame = CHistoryMenu::kFrame;
    const LONG previewLeft = frame + margins[0] + 32 + 4, right = frame + menu.EntryWidth();
    LONG top = frame;
    for (size_t i = 0; i < menu.Count(); ++i) {
        const COLORREF background = pixel(frame, top);
        const LONG rule = top + menu.Size(i).cy - margins[3];
        EXPECT_NE(background, pixel(previewLeft, rule)) << i << ": the rule";
        LONG firstInk = -1, lastInk = -1;
        for (LONG y = top; y < rule; ++y)
            for (LONG x = previewLeft; x < right; ++x)
                if (pixel(x, y) != background) {
                    if (firstInk < 0) firstInk = y;
                    lastInk = y;
                }
        ASSERT_GE(firstInk, 0) << i << ": a preview";
        EXPECT_LT(lastInk, rule - 3) << i << ": the preview stays clear of the rule";
        if (i == 0) {
            EXPECT_LE(lastInk - firstInk, font.tmHeight) << "the text on one line";
        }
        top += menu.Size(i).cy;
    }
}

TEST_F(MenuItem, ChoosingAnEntryPutsItBackWithoutANewEntry) {
    ASSERT_TRUE(bar.CopyText(L"one", 1));
    ASSERT_TRUE(bar.CopyText(L"two", 2));
    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(2u, menu.size());
    // Paused and resumed: the watcher is started again, and a choice made
    // at once still reaches it.
    ASSERT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
    ASSERT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
    LONG activations = bar.host.MenuActivations();
    ASSERT_EQ(S_OK, menu[0]->Execute(0, 0, 0));
    EXPECT_EQ(activations + 1, bar.host.MenuActivations());
    ASSERT_TRUE(WaitUntil([] { return ClipboardText() == L"one"; }));
    // The watcher has seen its own restore go by.
    ASSERT_TRUE(WaitUntil([&] { return bar.Button()->GetStore().GetLastSequence() >= GetClipboardSequenceNumber(); }));
    PumpFor(200);
    EXPECT_EQ(2, bar.Count());
    EXPECT_EQ(2u, SnapshotFileCount());
}

// One pauses to copy a password: choosing and swapping still put entries
// back, and nothing of the pause ends up in the history.
TEST_F(MenuItem, ChoosingAndSwappingWorkWhileCaptureIsPaused) {
    ASSERT_TRUE(bar.CopyText(L"one", 1));
    ASSERT_TRUE(bar.CopyText(L"two", 2));
    mxtest::COtherApp other;
    ASSERT_TRUE(other.IsRunning());
    ASSERT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
    ASSERT_FALSE(bar.Button()->GetStore().IsWatching());
    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(2u, menu.size());
    ASSERT_EQ(S_OK, menu[0]->Execute(0, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return other.PastedText() == L"one"; }));
    CClipboardItem* one = CMenuTestBar::ItemOf(menu[0].Get());
    ASSERT_TRUE(WaitUntil([&] { return one->IsCurrent(); }));
    bar.Root()->HandleMessage(25, 0, reinterpret_cast<void*>(CClipBoardButton::SwapHotKey));
    EXPECT_TRUE(WaitUntil([&] { return other.PastedText() == L"two"; }));
    ASSERT_TRUE(other.Copy("text copied while paused"));
    EXPECT_EQ(2, bar.Count());

    ASSERT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return GetClipboardViewer() == bar.Button()->GetStore().GetWindow(); }));
    ASSERT_TRUE(other.Copy("text after the pause"));
    ASSERT_TRUE(WaitUntil([&] { return bar.Button()->GetStore().GetLastSequence() >= other.LastSequence(); }));
    ASSERT_EQ(3, bar.Count());
    EXPECT_EQ(L"one", PreviewOf(bar.Button()->GetStore().GetItem(0).get()));
    EXPECT_EQ(L"two", PreviewOf(bar.Button()->GetStore().GetItem(1).get()));
    EXPECT_EQ(L"after the pause", PreviewOf(bar.Button()->GetStore().GetItem(2).get()));
    EXPECT_EQ(3u, SnapshotFileCount());
}

TEST_F(MenuItem, LockSaveAndDelete) {
    ASSERT_TRUE(bar.CopyText(L"keep me", 1));
    ASSERT_TRUE(bar.CopyText(L"drop me", 2));
    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(2u, menu.size());
    CClipboardItem* keep = CMenuTestBar::ItemOf(menu[0].Get());
    std::vector<UINT> states;
    EXPECT_EQ((std::vector<std::wstring>{L"Lock", L"Save...", L"Copy as plain text"}),
              ContextMenu(menu[0].Get(), &states));
    EXPECT_FALSE(states[0] & MF_CHECKED);
    EXPECT_FALSE(states[2] & MF_GRAYED);

    LONG notifications = bar.host.Notifications();
    LONG invalidations = bar.host.Invalidations();
    ASSERT_EQ(S_OK, menu[0]->MenuCommand(CMenuItem::LockCommand, 0, 0));
    EXPECT_TRUE(keep->IsLocked());
    EXPECT_EQ(invalidations + 1, bar.host.Invalidations());
    EXPECT_EQ(notifications + 1, bar.host.Notifications());
    states.clear();
    ContextMenu(menu[0].Get(), &states);
    EXPECT_TRUE(states[0] & MF_CHECKED);
    // This program holds no save document: the dialog cannot load, nothing
    // is saved, nothing fails.
    EXPECT_EQ(S_OK, menu[0]->MenuCommand(CMenuItem::SaveCommand, 0, 0));
    EXPECT_EQ(S_OK, menu[0]->MenuCommand(7, 0, 0));
    EXPECT_EQ(2, bar.Count());

    {
        CMessageBoxAnswerer answerer(L"Mirabex", IDNO);
        EXPECT_EQ(S_FALSE, menu[1]->Command(DVLCMD_DELETE, 0, 0));
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
        EXPECT_EQ(0u, answerer.Question().find(L"Do you want to delete the selected item?"));
        EXPECT_EQ(nullptr, answerer.Owner());
    }
    EXPECT_EQ(2, bar.Count());
    {
        CMessageBoxAnswerer answerer(L"Mirabex", IDYES);
        EXPECT_EQ(S_OK, menu[1]->Command(DVLCMD_DELETE, 0, 0));
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
    }
    EXPECT_EQ(1, bar.Count());
    EXPECT_EQ(1u, SnapshotFileCount());
    // The deleted item's entry still describes and draws itself from memory.
    std::wstring tip = bar.TipText(menu[1].Get());
    EXPECT_TRUE(EndsWith(tip, L"<hr=100%><br>drop me")) << tip.c_str();
    CPixels pixels(200, 30);
    const RECT rect = {0, 0, 200, 30};
    ASSERT_EQ(S_OK, menu[1]->DrawButtonIcon(pixels.Dc(), &rect, 0));
    int drawn = 0;
    for (int x = 24; x < 200; ++x)
        for (int y = 0; y < 26; ++y) drawn += pixels.At(x, y) != 0xFFFFFFu;
    EXPECT_GT(drawn, 20);
}

// A bar that stops walking early keeps the walk's shared hold. Every command
// that needs the history exclusively gives it back first, even while the
// watcher waits for the lock with a capture.
TEST_F(MenuItem, CommandsThatChangeTheHistoryEndAnUnfinishedWalk) {
    ASSERT_TRUE(bar.CopyText(L"walked", 1));
    int copies = 1;
    auto leaveWalkOpen = [&] {
        // A copy that waited for the last command may have joined before it
        // ran, and gone with the rest.
        if (bar.Count() == 0) {
            ASSERT_TRUE(bar.CopyText(L"refill " + std::to_wstring(++copies), 1));
        }
        WCHAR text[MAX_PATH];
        DVLENUMCHILD record{text, nullptr, 0};
        ASSERT_EQ(S_OK, bar.Root()->HandleMessage(13, 0, &record));
        bar.Root()->HandleMessage(15, 0, &record);
        // The history's writer takes a short hold of its own after a capture.
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 1; }));
        ASSERT_TRUE(RunOtherApp({L"text:waiting " + std::to_wstring(++copies)}));
        PumpFor(200);
    };
    {
        Entry entry = bar.Newest();  // a walk of its own, run to the end
        ASSERT_TRUE(entry);
        leaveWalkOpen();
        CMessageBoxAnswerer answerer(L"Mirabex", IDYES);
        Watchdog watchdog(20000);
        EXPECT_EQ(S_OK, entry->Command(DVLCMD_DELETE, 0, 0));
        answerer.Finish();
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 0; }));
    }
    {
        leaveWalkOpen();
        CMessageBoxAnswerer answerer(L"Mirabex Test", IDYES);
        Watchdog watchdog(20000);
        EXPECT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::ClearCommand, 0, 0));
        answerer.Finish();
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 0; }));
    }
    {
        leaveWalkOpen();
        Watchdog watchdog(20000);
        EXPECT_EQ(S_OK, bar.Root()->Command(DVLCMD_DELETE, 0, 0));
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 0; }));
    }
    {
        leaveWalkOpen();
        Watchdog watchdog(20000);
        EXPECT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
        EXPECT_FALSE(bar.Button()->GetStore().IsWatching());
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 0; }));
    }
    {
        EXPECT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::PauseCommand, 0, 0));
        ASSERT_TRUE(WaitUntil([&] { return GetClipboardViewer() == bar.Button()->GetStore().GetWindow(); }));
        leaveWalkOpen();
        Watchdog watchdog(20000);
        CPluginStream none;
        EXPECT_EQ(S_OK, bar.Root()->LoadSettings(StreamOf(none).Get()));
        EXPECT_TRUE(WaitUntil([&] { return bar.SharedHolds() == 0; }));
    }
}

// Pasting without formatting: only a Unicode text of the entry's text goes
// back, it becomes current, and the watcher takes it for no new entry.
TEST_F(MenuItem, CopyAsPlainTextPutsBackOnlyTheTextWithoutMarkup) {
    ASSERT_TRUE(bar.Copy({Html("<p><b>Bold</b> &amp; <a href=\"http://x.example/\">link</a></p>")}, 1));
    ASSERT_TRUE(bar.Copy({Registered(L"Rich Text Format", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 {\\i Rich} text}",
                                     true)},
                         2));
    ASSERT_TRUE(bar.Copy({Drop(L"C:\\a\\one.txt|C:\\b\\two.txt")}, 3));
    ASSERT_TRUE(bar.Copy({Dib(8, 6, 1)}, 4));
    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(4u, menu.size());
    std::vector<UINT> states;
    ContextMenu(menu[3].Get(), &states);
    ASSERT_EQ(3u, states.size());
    EXPECT_TRUE(states[2] & MF_GRAYED);  // a picture has no text

    mxtest::COtherApp other;
    ASSERT_TRUE(other.IsRunning());
    const struct {
        size_t entry;
        const wchar_t* text;
    } cases[] = {{0, L"Bold & link"}, {1, L"Rich text"}, {2, L"C:\\a\\one.txt\nC:\\b\\two.txt"}};
    for (const auto& c : cases) {
        ASSERT_EQ(S_OK, menu[c.entry]->MenuCommand(CMenuItem::PlainTextCommand, 0, 0));
        EXPECT_TRUE(WaitUntil([&] { return other.PastedText() == c.text; })) << c.text;
        CClipboardItem* item = CMenuTestBar::ItemOf(menu[c.entry].Get());
        EXPECT_TRUE(WaitUntil([&] { return item->IsCurrent(); }));
        EXPECT_EQ("err missing", other.Command("dump HTML Format"));
        EXPECT_EQ("err missing", other.Command("dump Rich Text Format"));
        EXPECT_EQ("err missing", other.Command("dump 15"));
    }
    ASSERT_TRUE(WaitUntil([&] { return bar.Button()->GetStore().GetLastSequence() >= GetClipboardSequenceNumber(); }));
    EXPECT_EQ(4, bar.Count());
    // The picture puts nothing back and does not become current; the
    // restore asked after it still comes.
    ASSERT_EQ(S_OK, menu[3]->MenuCommand(CMenuItem::PlainTextCommand, 0, 0));
    ASSERT_EQ(S_OK, menu[0]->Execute(0, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return other.Command("dump HTML Format") != "err missing"; }));
    EXPECT_FALSE(CMenuTestBar::ItemOf(menu[3].Get())->IsCurrent());
    EXPECT_EQ("err missing", other.Command("dump 8"));
    EXPECT_EQ(4, bar.Count());
}
