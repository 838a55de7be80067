// The root button in this process, driven through its wrapper's IDvlButton
// as the bar drives it, with the real clipboard, the real history folder of
// the prefix, real message boxes and otherapp.exe as the program that copies.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <atomic>
#include <string>
#include <vector>
#include "base/CPluginStream.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "host/automation/CMessageBoxAnswerer.h"
#include "plugin/CPlugin.h"
#include "tests/support/CDibCanvas.h"
#include "tests/support/CFakeStream.h"
#include "tests/ui/CGermanBarFolder.h"
#include "tests/ui/CHostKeyOverride.h"
#include "tests/ui/CRootTestHost.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kCaption[] = L"Mirabex Test";

class RootButton : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CleanHistoryFolder();
        plugin = CPlugin::Create();
        ASSERT_NE(nullptr, plugin);
        button = static_cast<CClipBoardButton*>(plugin->GetButton());
        ASSERT_EQ(S_OK, plugin->SetSite(&host));
        ASSERT_EQ(S_OK, plugin->SetName(kCaption));
    }
    void TearDown() override {
        ReleaseButton();
        CleanHistoryFolder();
        CoUninitialize();
    }
    void ReleaseButton() {
        if (plugin) plugin->Release();
        plugin = nullptr;
        button = nullptr;
    }

    // Loads the settings; with capture on, waits until the watcher leads the
    // viewer chain, so that the next copy is seen.
    void Load(CPluginStream& settings) {
        ComPtr<IStream> stream = StreamOf(settings);
        ASSERT_EQ(S_OK, plugin->LoadSettings(stream.Get()));
        if (button->GetStore().IsWatching()) {
            ASSERT_TRUE(WaitForWatcher());
        }
    }
    void LoadEmpty() {
        CPluginStream none;
        Load(none);
    }
    bool WaitForWatcher() {
        return WaitUntil([this] {
            HWND window = button->GetStore().GetWindow();
            return window && GetClipboardViewer() == window;
        });
    }
    int Count() { return button->GetStore().GetItemCount(); }
    // Another program copies the text; true once the history holds `count`
    // entries and the watcher is done with the copy (its notification sent).
    bool CopyAndWait(const std::wstring& text, int count) {
        return RunOtherApp({L"text:" + text}) && WaitForCapture(GetClipboardSequenceNumber(), count);
    }
    // The watcher has handled the copy of that sequence number, notification
    // included, and the history holds `count` entries. Counts and holds that
    // the watcher changes are only looked at once it is done.
    bool WaitForCapture(DWORD sequence, int count) {
        return WaitUntil([&] {
            return Count() >= count && button->GetStore().GetLastSequence() >= sequence;
        });
    }
    ComPtr<IStream> Save() {
        ComPtr<IStream> stream;
        CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        EXPECT_EQ(S_OK, plugin->SaveSettings(stream.Get()));
        return stream;
    }
    // The enumeration texts, walked to the end as the bar walks it.
    std::vector<std::wstring> Walk() {
        std::vector<std::wstring> ids;
        WCHAR text[MAX_PATH] = L"";
        DVLENUMCHILD record{text, nullptr, 0};
        HRESULT hr = plugin->HandleMessage(13, 0, &record);
        while (hr == S_OK) {
            ids.push_back(text);
            EXPECT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
            text[0] = L'\0';
            hr = plugin->HandleMessage(14, 0, &record);
        }
        return ids;
    }
    std::vector<CContextMenu::Item> ContextMenu() { return ReadContextMenu(plugin); }
    LONG SharedHolds() { return button->GetStore().GetLock().GetSharedCount(); }
    // The history's writer takes a short shared hold of its own while it
    // rewrites the catalogue after a capture: the count is waited for.
    bool SharedHoldsSettleAt(LONG count) {
        return WaitUntil([&] { return SharedHolds() == count; });
    }

    CRootTestHost host;
    CPlugin* plugin = nullptr;
    CClipBoardButton* button = nullptr;
};

}  // namespace

TEST_F(RootButton, ASettingsGroupWithoutEnableLoadsWithCaptureOff) {
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteWord(L"HotKey", 0x0241);
    settings.EndGroup();
    Load(settings);
    EXPECT_FALSE(button->GetStore().IsWatching());
    EXPECT_FALSE(button->IsEnabled());
    // Every other key of the group defaults to 0 as well.
    EXPECT_FALSE(button->GetConfirmClear());
    EXPECT_FALSE(button->GetConfirmDelete());
    EXPECT_EQ(0x0241, button->GetOpenMenuHotKey());
    EXPECT_EQ(0, button->GetSwapHotKey());
    auto menu = ContextMenu();
    ASSERT_EQ(3u, menu.size());
    EXPECT_TRUE(menu[0].state & MF_CHECKED) << "Pause is checked while capture is off";

    // Nothing is captured while capture is off.
    ASSERT_TRUE(RunOtherApp({L"text:not while paused", L"sleep:300"}));
    PumpFor(500);
    EXPECT_EQ(0, Count());
}

TEST_F(RootButton, NoSettingsGroupKeepsCaptureOnAndRegistersBothHotKeys) {
    LoadEmpty();
    EXPECT_TRUE(button->GetStore().IsWatching());
    EXPECT_TRUE(button->GetConfirmClear());
    EXPECT_TRUE(button->GetConfirmDelete());
    EXPECT_FALSE(button->IsDragAllowed());
    auto keys = host.HotKeys();
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(std::make_pair(WORD(0), 1u), keys[0]);
    EXPECT_EQ(std::make_pair(WORD(0), 2u), keys[1]);
    EXPECT_FALSE(ContextMenu()[0].state & MF_CHECKED);
    ASSERT_TRUE(CopyAndWait(L"captured at once", 1));
}

TEST_F(RootButton, SavingWritesTheKeysInOrderAndIconOnlyWhenSet) {
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteWord(L"HotKey", 0x0641);
    settings.WriteWord(L"HotKeySwap", 0x0653);
    settings.WriteInt(L"Enable", 0);
    settings.WriteInt(L"AskDelAllItems", 1);
    settings.WriteInt(L"AskDelOneItem", 0);
    settings.WriteInt(L"allowDrag", 1);
    settings.EndGroup();
    Load(settings);
    // Open-menu first, then swap.
    auto keys = host.HotKeys();
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(std::make_pair(WORD(0x0641), 1u), keys[0]);
    EXPECT_EQ(std::make_pair(WORD(0x0653), 2u), keys[1]);

    CPluginStream saved;
    ASSERT_TRUE(ReadRecords(Save().Get(), saved));
    std::vector<std::wstring> names = RecordNames(saved);
    std::vector<std::wstring> head(names.begin(), names.begin() + std::min<size_t>(names.size(), 11));
    EXPECT_EQ((std::vector<std::wstring>{L"+Settings", L"HotKeySwap", L"HotKey", L"Enable", L"AskDelAllItems",
                                         L"AskDelOneItem", L"allowDrag", L"MenuEntries", L"HotKeySearch", L"-Settings",
                                         L"+clipboard"}),
              head);
    EXPECT_EQ(L"-clipboard", names.back());
    ASSERT_TRUE(saved.EnterGroup(L"Settings"));
    EXPECT_EQ(0x0653, saved.ReadWord(L"HotKeySwap", 0));
    EXPECT_EQ(0x0641, saved.ReadWord(L"HotKey", 0));
    EXPECT_EQ(0, saved.ReadInt(L"Enable", 7));
    EXPECT_EQ(1, saved.ReadInt(L"AskDelAllItems", 7));
    EXPECT_EQ(0, saved.ReadInt(L"AskDelOneItem", 7));
    EXPECT_EQ(1, saved.ReadInt(L"allowDrag", 7));
    // Settings from before the menu had a bound load with the default.
    EXPECT_EQ(CClipBoardButton::kDefaultMenuEntries, saved.ReadInt(L"MenuEntries", 7));
    saved.LeaveGroup();

    // With an icon location, "icon" follows the flags inside the group.
    ASSERT_EQ(S_OK, plugin->SetIconLocation(L"C:\\icons\\clip.ico,3"));
    CPluginStream withIcon;
    ASSERT_TRUE(ReadRecords(Save().Get(), withIcon));
    names = RecordNames(withIcon);
    ASSERT_GT(names.size(), 10u);
    EXPECT_EQ(L"HotKeySearch", names[8]);
    EXPECT_EQ(L"icon", names[9]);
    EXPECT_EQ(L"-Settings", names[10]);
    ASSERT_TRUE(withIcon.EnterGroup(L"Settings"));
    EXPECT_STREQ(L"C:\\icons\\clip.ico,3", withIcon.ReadString(L"icon", L""));
}

TEST_F(RootButton, ALoadedIconLocationIsSetWithoutTellingTheBar) {
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteInt(L"Enable", 0);
    settings.WriteString(L"icon", L"D:\\elsewhere\\x.ico");
    settings.EndGroup();
    LONG before = host.Notifications();
    Load(settings);
    WCHAR location[MAX_PATH] = L"";
    ASSERT_EQ(S_OK, plugin->GetIconLocation(location));
    EXPECT_STREQ(L"D:\\elsewhere\\x.ico", location);
    EXPECT_EQ(before, host.Notifications());

    // A later group without "icon" drops it.
    CPluginStream again;
    again.BeginGroup(L"Settings");
    again.WriteInt(L"Enable", 0);
    again.EndGroup();
    Load(again);
    location[0] = L'\0';
    plugin->GetIconLocation(location);
    EXPECT_STREQ(L"", location);
}

namespace {

// A stream that takes nothing: a full disk, a broken bar.
class RefusingStream final : public mxtest::CFakeStream {
public:
    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG* read) override {
        if (read) *read = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG* written) override {
        if (written) *written = 0;
        return STG_E_MEDIUMFULL;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER* at) override {
        if (at) at->QuadPart = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_MEDIUMFULL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
};

}  // namespace

TEST_F(RootButton, ASaveTheStreamRefusedIsNoSuccess) {
    RefusingStream full;
    EXPECT_EQ(S_FALSE, plugin->SaveSettings(&full));
    // Reading from it loads nothing and keeps the defaults.
    EXPECT_EQ(S_OK, plugin->LoadSettings(&full));
    EXPECT_TRUE(button->GetConfirmClear());
}

TEST_F(RootButton, SortKeyAndComparison) {
    WCHAR name[MAX_PATH] = L"#";
    DVLSORTKEY key{0, name};
    ASSERT_EQ(S_OK, plugin->HandleMessage(21, 0, &key));
    EXPECT_EQ(1u, key.keyId);
    EXPECT_STREQ(L"Capture Time", name);
    DVLSORTKEY other{77, name};
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(21, 1, &other));
    EXPECT_EQ(77u, other.keyId);

    // Keys other than the capture time leave the bar's result as it was.
    CPlugin* first = CPlugin::Create();
    CPlugin* second = CPlugin::Create();
    ASSERT_TRUE(first && second);
    for (UINT sortKey : {0u, 2u, 0xFFFFFFFFu}) {
        DVLCOMPARE record{first, second, sortKey, 42};
        EXPECT_EQ(S_OK, plugin->HandleMessage(20, 0, &record));
        EXPECT_EQ(42, record.result) << sortKey;
    }
    // Buttons that are no history entries carry no time to compare.
    DVLCOMPARE byTime{first, second, 1, -7};
    EXPECT_EQ(S_OK, plugin->HandleMessage(20, 0, &byTime));
    EXPECT_EQ(-7, byTime.result);
    first->Release();
    second->Release();
}

TEST_F(RootButton, FixedAnswersIconsAndTheMissingDialog) {
    for (UINT code : {9u, 19u, 26u, 44u}) {
        DWORD value = 0;
        EXPECT_EQ(S_OK, plugin->HandleMessage(code, 0, &value)) << code;
        EXPECT_EQ(1u, value) << code;
    }
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_STYLE | DVLINFO_KIND | DVLINFO_TEXT;
    ASSERT_EQ(S_OK, plugin->GetInfo(&info));
    EXPECT_EQ(48u | 0x80u, info.style);
    EXPECT_EQ(0x1805u, info.kind);
    EXPECT_STREQ(kCaption, info.text);

    HICON large = nullptr;
    ASSERT_EQ(S_OK, plugin->HandleMessage(23, 0, &large));
    ASSERT_NE(nullptr, large);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(large, &parts));
    BITMAP bitmap{};
    GetObjectW(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof(bitmap), &bitmap);
    EXPECT_EQ(32, bitmap.bmWidth);
    if (parts.hbmColor) DeleteObject(parts.hbmColor);
    if (parts.hbmMask) DeleteObject(parts.hbmMask);
    HICON again = nullptr;
    plugin->HandleMessage(23, 0, &again);
    EXPECT_EQ(large, again) << "the large icon is kept";

    // No sub-buttons yet, and no dialog documents in this program for the
    // properties dialog to load: nothing accepted, nothing saved.
    DVLCREATECHILD create{plugin, nullptr, nullptr};
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(16, 0, &create));
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    EXPECT_EQ(S_FALSE, plugin->EditProperties(stream.Get(), 0, 0));
    STATSTG stat{};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(0u, stat.cbSize.QuadPart);
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_2, 0, 0));
}

TEST_F(RootButton, KindIconsAreSharedPerKindAndSize) {
    HICON text16 = button->GetKindIcon(1, 16);
    ASSERT_NE(nullptr, text16);
    EXPECT_EQ(text16, button->GetKindIcon(1, 16));
    HICON text32 = button->GetKindIcon(1, 32);
    ASSERT_NE(nullptr, text32);
    EXPECT_NE(text16, text32);
    HICON files = button->GetKindIcon(2, 16);
    HICON picture = button->GetKindIcon(3, 16);
    HICON unknown = button->GetKindIcon(0, 16);
    ASSERT_TRUE(files && picture && unknown);
    EXPECT_NE(files, text16);
    EXPECT_NE(picture, files);
    EXPECT_EQ(unknown, button->GetKindIcon(0, 16));
    EXPECT_EQ(nullptr, button->GetKindIcon(1, 0));

    // Each kind draws its own picture: 107 text, 120 files, 109 picture, else 117.
    auto pixels = [](HICON icon) {
        mxtest::CDibCanvas canvas(16, 16, 0);
        DrawIconEx(canvas.dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
        std::vector<DWORD> bits;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) bits.push_back(canvas.At(x, y));
        return bits;
    };
    for (auto row : {std::make_pair(1, 107), std::make_pair(2, 120), std::make_pair(3, 109), std::make_pair(9, 117)}) {
        mx::unique_hicon resource(CClipBoardButton::LoadResourceIcon(row.second, 16));
        ASSERT_TRUE(resource) << row.second;
        EXPECT_EQ(pixels(resource.get()), pixels(button->GetKindIcon(row.first, 16))) << row.first;
    }
    EXPECT_NE(pixels(text16), pixels(files));
}

TEST_F(RootButton, TheLanguageDocumentBesideTheBarsProgram) {
    // A bar program in a folder of its own, with the German document beside it.
    {
        CGermanBarFolder bar(L"mx-bar", MX_GERMAN_DOCUMENT);
        ASSERT_TRUE(bar.Ready());
        EXPECT_EQ(bar.Document(), CClipBoardButton::LanguageFilePath(1031));
        ASSERT_EQ(S_OK, plugin->SetLanguage(1031, nullptr));
        auto menu = ContextMenu();
        ASSERT_EQ(3u, menu.size());
        EXPECT_EQ(L"Anhalten", menu[0].text);
        EXPECT_EQ(L"Zwischenablage-Verlauf l\u00f6schen", menu[1].text);
        EXPECT_EQ(L"Verlauf durchsuchen...", menu[2].text);
        EXPECT_EQ(1u, menu[0].number);
        EXPECT_EQ(2u, menu[1].number);
        WCHAR name[MAX_PATH] = L"";
        DVLSORTKEY sortKey{0, name};
        ASSERT_EQ(S_OK, plugin->HandleMessage(21, 0, &sortKey));
        EXPECT_STREQ(L"Aufnahmezeit", name);

        // The clear question is its own text, not the menu entry's caption.
        CPluginStream settings;
        Load(settings);
        ASSERT_TRUE(CopyAndWait(L"eins", 1));
        CMessageBoxAnswerer answerer(kCaption, IDNO);
        EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
        EXPECT_EQ(0u, answerer.Question().find(L"M\u00f6chten Sie den Zwischenablage-Verlauf l\u00f6schen?"))
            << std::string(answerer.Question().begin(), answerer.Question().end());
        EXPECT_EQ(1, Count());

        // An older document that has no text of its own for the question: a
        // whole English question, never the translated menu caption.
        {
            mx::unique_file older(CreateFileW(bar.Document().c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(older);
            const char text[] = "<strings><string id='menu-delall' loc='Verlauf leeren'/></strings>";
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(older.get(), text, sizeof text - 1, &written, nullptr));
        }
        ASSERT_EQ(S_OK, plugin->SetLanguage(1031, nullptr));
        EXPECT_EQ(L"Verlauf leeren", ContextMenu()[1].text);
        CMessageBoxAnswerer english(kCaption, IDNO);
        EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
        english.Finish();
        ASSERT_TRUE(english.Answered());
        EXPECT_EQ(L"Do you want to clear the Clipboard History? The deleting is a permanent operation, you "
                  L"cannot to return back the deleted item. The locked items will not be deleted.",
                  english.Question());
        EXPECT_EQ(1, Count());

        // A language without a document: every text at its default again.
        ASSERT_EQ(S_OK, plugin->SetLanguage(1036, nullptr));
        EXPECT_EQ(L"Pause", ContextMenu()[0].text);
    }
    {
        // No bar key at all: the defaults, and no path made up from nothing.
        CHostKeyOverride none(L"");
        ASSERT_TRUE(none.Applied());
        EXPECT_EQ(L"", CClipBoardButton::LanguageFilePath(1031));
        ASSERT_EQ(S_OK, plugin->SetLanguage(1031, nullptr));
        EXPECT_EQ(L"Clear Clipboard History", ContextMenu()[1].text);
    }
}

TEST_F(RootButton, AnEmptyHistoryGraysClearAndKeepsNoLock) {
    LoadEmpty();
    auto menu = ContextMenu();
    ASSERT_EQ(3u, menu.size());
    EXPECT_EQ(L"Pause", menu[0].text);
    EXPECT_EQ(L"Clear Clipboard History", menu[1].text);
    EXPECT_TRUE(menu[1].state & MF_GRAYED);
    EXPECT_TRUE(menu[1].state & MF_DISABLED);
    EXPECT_EQ(L"Search history...", menu[2].text);
    EXPECT_TRUE(menu[2].state & MF_GRAYED);

    WCHAR text[MAX_PATH] = L"untouched";
    DVLENUMCHILD record{text, nullptr, 0};
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(13, 0, &record));
    EXPECT_TRUE(SharedHoldsSettleAt(0));
    // The watcher's capture takes the lock exclusively: it still can.
    ASSERT_TRUE(CopyAndWait(L"after an empty walk", 1));
    EXPECT_FALSE(ContextMenu()[1].state & MF_GRAYED);
    EXPECT_EQ(std::vector<std::wstring>{L"clip:1"}, Walk());
    EXPECT_TRUE(SharedHoldsSettleAt(0));
}

TEST_F(RootButton, TheWalkHoldsTheLockUntilItRunsPastTheEnd) {
    LoadEmpty();
    ASSERT_TRUE(CopyAndWait(L"first", 1));
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    EXPECT_STREQ(L"clip:1", text);
    EXPECT_EQ(1u, record.next);
    EXPECT_TRUE(SharedHoldsSettleAt(1));
    ASSERT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
    // A copy meanwhile is stored, but waits to join the history.
    ASSERT_TRUE(RunOtherApp({L"text:second"}));
    const DWORD second = GetClipboardSequenceNumber();
    PumpFor(800);
    EXPECT_EQ(1, Count());
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(14, 0, &record));
    EXPECT_EQ(0u, record.next);
    // The watcher, let in, holds the lock exclusively: no shared hold is left.
    EXPECT_TRUE(SharedHoldsSettleAt(0));
    ASSERT_TRUE(WaitForCapture(second, 2));
    EXPECT_EQ((std::vector<std::wstring>{L"clip:1", L"clip:2"}), Walk());

    // A second message 13 before the end keeps one hold, not two.
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    plugin->HandleMessage(15, 0, &record);
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    plugin->HandleMessage(15, 0, &record);
    EXPECT_TRUE(SharedHoldsSettleAt(1));
    record.next = 2;
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(14, 0, &record));
    EXPECT_TRUE(SharedHoldsSettleAt(0));
    // Message 14 without a walk neither hands out items nor gives back a hold it has not.
    record.next = 1;
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(14, 0, &record));
    EXPECT_TRUE(SharedHoldsSettleAt(0));
}

LONG References(CClipboardItem* item) {
    const LONG count = item->AddRef();
    item->Release();
    return count - 1;
}

void ExpectRecord(const DVLENUMCHILD& record, const WCHAR* text, void* item, UINT next) {
    EXPECT_EQ(text, record.text);
    EXPECT_EQ(item, record.item);
    EXPECT_EQ(next, record.next);
}

// Bars hand back the item itself or the enumeration record that held it.
TEST_F(RootButton, ReleasingAChildTakesTheItemOrItsRecordAndNothingElse) {
    LoadEmpty();
    ASSERT_TRUE(CopyAndWait(L"first", 1));
    ASSERT_TRUE(CopyAndWait(L"second", 2));
    ItemRef first = button->GetStore().GetItem(0), second = button->GetStore().GetItem(1);
    ASSERT_TRUE(first && second);
    // The history's writer holds entries for a moment after each change (the
    // catalogue's write, the cache's trim): counts are read once it is idle.
    auto Settled = [&](CClipboardItem* item) {
        button->GetStore().Flush();
        return References(item);
    };
    const LONG firstRefs = Settled(first.get()), secondRefs = Settled(second.get());
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    ASSERT_EQ(first.get(), record.item);
    EXPECT_EQ(firstRefs + 1, Settled(first.get()));

    // The record: its item goes back once; the bar's record stays as it was.
    EXPECT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
    EXPECT_EQ(firstRefs, Settled(first.get()));
    ExpectRecord(record, text, first.get(), 1);
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(15, 0, &record));
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(15, 0, first.get()));
    EXPECT_EQ(firstRefs, Settled(first.get()));

    // Pointers that name nothing handed out release nothing.
    ASSERT_EQ(S_OK, plugin->HandleMessage(14, 0, &record));
    ASSERT_EQ(second.get(), record.item);
    DVLENUMCHILD stranger{nullptr, first.get(), 0};
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(15, 0, &stranger));
    void* zeros[4] = {};
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(15, 0, zeros));
    EXPECT_EQ(firstRefs, Settled(first.get()));
    EXPECT_EQ(secondRefs + 1, Settled(second.get()));

    // The item itself.
    EXPECT_EQ(S_OK, plugin->HandleMessage(15, 0, second.get()));
    EXPECT_EQ(secondRefs, Settled(second.get()));
    ExpectRecord(record, text, second.get(), 2);
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(15, 0, &record));
    EXPECT_EQ(secondRefs, Settled(second.get()));
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(14, 0, &record));
    EXPECT_TRUE(SharedHoldsSettleAt(0));
}

// The menu lists the newest "MenuEntries" entries and every locked one, in
// history order; 0 lists them all, and so does the default for a history
// of the default size.
TEST_F(RootButton, TheMenuListsTheNewestEntriesAndEveryLockedOne) {
    auto loadWithMenuEntries = [&](const int* entries) {
        CPluginStream settings;
        settings.BeginGroup(L"Settings");
        settings.WriteInt(L"Enable", 1);
        if (entries) settings.WriteInt(L"MenuEntries", *entries);
        settings.EndGroup();
        Load(settings);
    };
    const int three = 3;
    loadWithMenuEntries(&three);
    for (int i = 1; i <= 6; ++i) ASSERT_TRUE(CopyAndWait(L"entry " + std::to_wstring(i), i));
    for (int index : {0, 2, 4}) button->GetStore().GetItem(index)->SetLocked(true);
    // The two left out are behind "More...", last.
    EXPECT_EQ((std::vector<std::wstring>{L"clip:1", L"clip:3", L"clip:4", L"clip:5", L"clip:6", L"more"}), Walk());
    // A bar's record may name any index: the next one listed follows it.
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    ASSERT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
    record.next = 1;
    ASSERT_EQ(S_OK, plugin->HandleMessage(14, 0, &record));
    EXPECT_STREQ(L"clip:3", text);
    EXPECT_EQ(3u, record.next);
    ASSERT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
    record.next = 6;
    ASSERT_EQ(S_OK, plugin->HandleMessage(14, 0, &record));
    EXPECT_STREQ(L"more", text);
    EXPECT_EQ(7u, record.next);
    EXPECT_EQ(S_OK, plugin->HandleMessage(15, 0, &record));
    EXPECT_EQ(S_FALSE, plugin->HandleMessage(14, 0, &record));
    EXPECT_TRUE(SharedHoldsSettleAt(0));

    const int all = 0;
    loadWithMenuEntries(&all);
    EXPECT_EQ(6u, Walk().size());
    loadWithMenuEntries(nullptr);
    EXPECT_EQ(CClipBoardButton::kDefaultMenuEntries, button->GetMenuEntries());
    EXPECT_EQ(6u, Walk().size());
}

TEST_F(RootButton, ReleasingTheButtonInTheMiddleOfAWalkDoesNotHang) {
    LoadEmpty();
    ASSERT_TRUE(CopyAndWait(L"one", 1));
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    ASSERT_EQ(S_OK, plugin->HandleMessage(13, 0, &record));
    plugin->HandleMessage(15, 0, &record);
    // The watcher's next capture now waits for the walk's hold.
    ASSERT_TRUE(RunOtherApp({L"text:two"}));
    PumpFor(300);
    {
        Watchdog watchdog(20000);
        ReleaseButton();
    }
    SUCCEED();
}

TEST_F(RootButton, DecliningTheClearChangesNothing) {
    HWND bar = CreateWindowExW(0, L"STATIC", L"bar", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, bar);
    host.barWindow = bar;
    LoadEmpty();
    HANDLE raw = nullptr;
    ASSERT_EQ(S_OK, plugin->HandleMessage(10, 0, &raw));
    ASSERT_NE(nullptr, raw);
    ASSERT_TRUE(CopyAndWait(L"alpha", 1));
    ASSERT_TRUE(CopyAndWait(L"beta", 2));
    // The captures came from the watcher thread and set the event.
    EXPECT_GT(host.NotificationsFromOtherThreads(), 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(raw, 0));
    EXPECT_EQ(2u, SnapshotFileCount());

    LONG before = host.Notifications();
    {
        CMessageBoxAnswerer answerer(kCaption, IDNO);
        EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
        EXPECT_EQ(0u, answerer.Question().find(L"Do you want to clear the Clipboard History?"));
        EXPECT_EQ(bar, answerer.Owner());
    }
    EXPECT_EQ(2, Count());
    EXPECT_EQ(2u, SnapshotFileCount());
    EXPECT_EQ(before, host.Notifications());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(raw, 0));

    // Yes: the unlocked entries go; a locked one stays.
    {
        ItemRef first = button->GetStore().GetItem(0);
        ASSERT_NE(nullptr, first);
        first->SetLocked(true);
    }
    {
        CMessageBoxAnswerer answerer(kCaption, IDYES);
        EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
    }
    EXPECT_EQ(std::vector<std::wstring>{L"clip:1"}, Walk());
    EXPECT_EQ(1u, SnapshotFileCount());
    EXPECT_GT(host.Notifications(), before);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(raw, 0));

    // The Delete command asks nothing and takes the locked entry too.
    before = host.Notifications();
    {
        CMessageBoxAnswerer answerer(kCaption, IDNO, 500);
        EXPECT_EQ(S_OK, plugin->Command(DVLCMD_DELETE, 0, 0));
        answerer.Finish();
        EXPECT_FALSE(answerer.Answered());
    }
    EXPECT_EQ(0, Count());
    EXPECT_EQ(0u, SnapshotFileCount());
    EXPECT_GT(host.Notifications(), before);
    EXPECT_TRUE(ContextMenu()[1].state & MF_GRAYED);

    plugin->HandleMessage(12, 0, raw);
    // The event is gone; a capture after that is still no trouble.
    ASSERT_TRUE(CopyAndWait(L"gamma", 1));
    host.barWindow = nullptr;
    DestroyWindow(bar);
}

// The bar owns the events it asks for: one it has not given back is still
// its own to set and close after the button has gone.
TEST_F(RootButton, UpdateEventsStayTheBarsUntilItGivesThemBack) {
    LoadEmpty();
    HANDLE first = nullptr;
    HANDLE second = nullptr;
    ASSERT_EQ(S_OK, plugin->HandleMessage(10, 0, &first));
    ASSERT_EQ(S_OK, plugin->HandleMessage(10, 0, &second));
    ASSERT_TRUE(first && second && first != second);
    EXPECT_EQ(S_OK, plugin->HandleMessage(12, 0, first));
    ReleaseButton();
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(second, &flags));
    EXPECT_TRUE(SetEvent(second));
    EXPECT_TRUE(CloseHandle(second));
}

TEST_F(RootButton, WithoutTheConfirmationClearAsksNothing) {
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteInt(L"Enable", 1);
    settings.WriteInt(L"AskDelAllItems", 0);
    settings.EndGroup();
    Load(settings);
    ASSERT_TRUE(CopyAndWait(L"to be cleared", 1));
    CMessageBoxAnswerer answerer(kCaption, IDNO, 500);
    EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
    answerer.Finish();
    EXPECT_FALSE(answerer.Answered());
    EXPECT_EQ(0, Count());
    // Clearing an empty history is no trouble either.
    EXPECT_EQ(S_OK, plugin->MenuCommand(2, 0, 0));
    EXPECT_EQ(S_OK, plugin->MenuCommand(3, 0, 0));
}

TEST_F(RootButton, PauseStopsAndResumesCapture) {
    LoadEmpty();
    ASSERT_TRUE(CopyAndWait(L"before the pause", 1));
    LONG before = host.Notifications();
    EXPECT_EQ(S_OK, plugin->MenuCommand(1, 0, 0));
    EXPECT_FALSE(button->GetStore().IsWatching());
    EXPECT_TRUE(ContextMenu()[0].state & MF_CHECKED);
    EXPECT_EQ(before + 1, host.Notifications());
    ASSERT_TRUE(RunOtherApp({L"text:during the pause", L"sleep:300"}));
    PumpFor(400);
    EXPECT_EQ(1, Count());

    CPluginStream paused;
    ASSERT_TRUE(ReadRecords(Save().Get(), paused));
    ASSERT_TRUE(paused.EnterGroup(L"Settings"));
    EXPECT_EQ(0, paused.ReadInt(L"Enable", 7));

    EXPECT_EQ(S_OK, plugin->MenuCommand(1, 0, 0));
    EXPECT_TRUE(button->GetStore().IsWatching());
    ASSERT_TRUE(WaitForWatcher());
    // What was copied during the pause is not taken up on resuming.
    PumpFor(300);
    EXPECT_EQ(1, Count());
    ASSERT_TRUE(CopyAndWait(L"after the pause", 2));
}

TEST_F(RootButton, HotKeysOpenTheMenuAndSwapTheLastTwo) {
    LoadEmpty();
    EXPECT_EQ(S_OK, plugin->HandleMessage(25, 0, reinterpret_cast<void*>(1)));
    EXPECT_EQ(1, host.MenuActivations());
    EXPECT_EQ(S_OK, plugin->HandleMessage(25, 0, reinterpret_cast<void*>(3)));
    EXPECT_EQ(1, host.MenuActivations());

    ASSERT_TRUE(CopyAndWait(L"A", 1));
    ASSERT_TRUE(CopyAndWait(L"B", 2));
    EXPECT_EQ(L"B", ClipboardText());
    plugin->HandleMessage(25, 0, reinterpret_cast<void*>(2));
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"A"; }));
    plugin->HandleMessage(25, 0, reinterpret_cast<void*>(2));
    EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"B"; }));
    // Restoring adds nothing to the history.
    PumpFor(300);
    EXPECT_EQ(2, Count());

    // Loaded again, no entry is current: swapping does nothing.
    ComPtr<IStream> saved = Save();
    ReleaseButton();
    plugin = CPlugin::Create();
    button = static_cast<CClipBoardButton*>(plugin->GetButton());
    plugin->SetSite(&host);
    LARGE_INTEGER zero = {};
    saved->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, plugin->LoadSettings(saved.Get()));
    ASSERT_TRUE(WaitForWatcher());
    ASSERT_TRUE(RunOtherApp({L"text:not from the history"}));
    ASSERT_TRUE(WaitForCapture(GetClipboardSequenceNumber(), 3));
    // That copy is current now; the entry before it is the last one loaded.
    ReleaseButton();
    plugin = CPlugin::Create();
    button = static_cast<CClipBoardButton*>(plugin->GetButton());
    plugin->SetSite(&host);
    saved->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, plugin->LoadSettings(saved.Get()));
    ASSERT_TRUE(WaitForWatcher());
    plugin->HandleMessage(25, 0, reinterpret_cast<void*>(2));
    PumpFor(500);
    EXPECT_EQ(L"not from the history", ClipboardText());
}

TEST_F(RootButton, ConfirmingOneDeletion) {
    LoadEmpty();
    {
        CMessageBoxAnswerer answerer(L"Mirabex", IDNO);
        EXPECT_FALSE(button->ConfirmDeleteOne());
        answerer.Finish();
        ASSERT_TRUE(answerer.Answered());
        EXPECT_EQ(nullptr, answerer.Owner());
        EXPECT_EQ(0u, answerer.Question().find(L"Do you want to delete the selected item?"));
    }
    {
        CMessageBoxAnswerer answerer(L"Mirabex", IDYES);
        EXPECT_TRUE(button->ConfirmDeleteOne());
        answerer.Finish();
        EXPECT_TRUE(answerer.Answered());
    }
    button->SetConfirmDelete(FALSE);
    CMessageBoxAnswerer answerer(L"Mirabex", IDNO, 500);
    EXPECT_TRUE(button->ConfirmDeleteOne());
    answerer.Finish();
    EXPECT_FALSE(answerer.Answered());
}

TEST_F(RootButton, TheHistoryComesBackFromTheSavedIndex) {
    LoadEmpty();
    ASSERT_TRUE(CopyAndWait(L"kept one", 1));
    ASSERT_TRUE(RunOtherApp({L"texthtml:<i>kept</i> two"}));
    ASSERT_TRUE(WaitForCapture(GetClipboardSequenceNumber(), 2));
    ComPtr<IStream> saved = Save();
    ReleaseButton();
    EXPECT_EQ(2u, SnapshotFileCount()) << "the snapshot files outlive the button";

    plugin = CPlugin::Create();
    button = static_cast<CClipBoardButton*>(plugin->GetButton());
    plugin->SetSite(&host);
    LARGE_INTEGER zero = {};
    saved->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, plugin->LoadSettings(saved.Get()));
    EXPECT_EQ((std::vector<std::wstring>{L"clip:1", L"clip:2"}), Walk());
    ASSERT_TRUE(WaitForWatcher());
    ASSERT_TRUE(CopyAndWait(L"three", 3));
    EXPECT_EQ((std::vector<std::wstring>{L"clip:1", L"clip:2", L"clip:3"}), Walk());
}
