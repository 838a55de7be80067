// The properties and save dialogs as a person meets them: opened by the root
// button's Properties command, by the bar's EditProperties and by a history
// entry's Save..., on the documents in this program's resources, and played
// by CDialogPlayer from a thread of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <utility>
#include <vector>
#include "base/CPluginStream.h"
#include "base/Module.h"
#include "host/automation/CDialogPlayer.h"
#include "plugin/CPlugin.h"
#include "tests/ui/CGermanBarFolder.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/CRootTestHost.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"
#include "ui/CXMLPropsDlg.h"
#include "ui/IDvlButton.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kPropertiesCaption[] = L"Mirabex Properties";
const WORD kOpenMenuKey = 0x0241;  // Ctrl + A
const WORD kSwapKey = 0x0653;      // Ctrl + Alt + S
using HotKeys = std::vector<std::pair<WORD, UINT>>;

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.IsReady());
        plugin = bar.Root();
        button = bar.Button();
    }
    // Settings with both hotkeys, capture off unless asked.
    void LoadHotKeys(int capture = 0) {
        CPluginStream settings;
        settings.BeginGroup(L"Settings");
        settings.WriteWord(L"HotKey", kOpenMenuKey);
        settings.WriteWord(L"HotKeySwap", kSwapKey);
        settings.WriteInt(L"Enable", capture);
        settings.EndGroup();
        ASSERT_EQ(S_OK, plugin->LoadSettings(StreamOf(settings).Get()));
        host.ClearHotKeys();
    }
    // The button's saved records read into `saved`; the stream they went to.
    ComPtr<IStream> SaveIntoSettings(CPluginStream& saved) {
        ComPtr<IStream> stream;
        EXPECT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
        EXPECT_EQ(S_OK, plugin->SaveSettings(stream.Get()));
        EXPECT_TRUE(ReadRecords(stream.Get(), saved));
        return stream;
    }
    static HotKeys Off() { return {{0, 1}, {0, 2}}; }
    static HotKeys OffAndBack(WORD open, WORD swap) { return {{0, 1}, {0, 2}, {open, 1}, {swap, 2}}; }

    OleScope ole;
    CMenuTestBar bar;
    CRootTestHost& host = bar.host;
    CPlugin* plugin = nullptr;
    CClipBoardButton* button = nullptr;
};

}  // namespace

TEST_F(Dialogs, HotKeysAreOffWhileThePropertiesAreOpenAndBackAfterCancel) {
    LoadHotKeys();
    HotKeys whileOpen;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        whileOpen = host.HotKeys();
        CDialogPlayer::Click(CDialogPlayer::Control(dialog, L"Button", std::wstring(L"Cancel")));
    });
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ(Off(), whileOpen);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
    EXPECT_EQ(kOpenMenuKey, button->GetOpenMenuHotKey());

    // The bar's own way in, closed by the close box: nothing accepted,
    // nothing saved, the keys back.
    host.ClearHotKeys();
    CDialogPlayer again(kPropertiesCaption, [&](HWND dialog) { CDialogPlayer::Close(dialog); });
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    EXPECT_EQ(S_FALSE, plugin->EditProperties(stream.Get(), 0, 0));
    again.Finish();
    ASSERT_TRUE(again.Played());
    STATSTG stat{};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(0u, stat.cbSize.QuadPart);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
}

TEST_F(Dialogs, HotKeysAreBackWhenTheDocumentFailsToLoad) {
    LoadHotKeys();
    // A library without the document: nothing is shown.
    HMODULE bare = LoadLibraryW(WinePath(MX_NO_VERSION_DLL).c_str());
    ASSERT_NE(nullptr, bare);
    HINSTANCE own = GetModuleInstance();
    SetModuleInstance(bare);
    HRESULT hr = plugin->Command(DVLCMD_PROPERTIES, 0, 0);
    SetModuleInstance(own);
    FreeLibrary(bare);
    EXPECT_EQ(S_FALSE, hr);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
}

TEST_F(Dialogs, VersionTextFromTheVersionBlock) {
    EXPECT_EQ(L"2.3", CXMLPropsDlg::VersionText(GetModuleHandleW(nullptr)));
    HMODULE patched = LoadLibraryW(WinePath(MX_VERSION_2301_DLL).c_str());
    ASSERT_NE(nullptr, patched);
    EXPECT_EQ(L"2.3.0.1", CXMLPropsDlg::VersionText(patched));
    FreeLibrary(patched);
    HMODULE bare = LoadLibraryW(WinePath(MX_NO_VERSION_DLL).c_str());
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(L"0.0.0.0", CXMLPropsDlg::VersionText(bare));
    FreeLibrary(bare);
    const WORD two[4] = {2, 0, 0, 0};
    EXPECT_EQ(L"2.0", CXMLPropsDlg::VersionText(two));
}

namespace {

// The check boxes of the properties dialog, in document order.
enum CheckBox { AskDeleteOne = 0, AskDeleteAll = 1, AllowDrag = 2 };

HWND CheckBoxOf(HWND dialog, CheckBox which) { return CDialogPlayer::CheckBox(dialog, which); }

bool IsChecked(HWND dialog, CheckBox which) {
    return SendMessageW(CheckBoxOf(dialog, which), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The text of the first static control whose text begins with `start`.
std::wstring LabelStartingWith(HWND dialog, const std::wstring& start) {
    for (int i = 0;; ++i) {
        HWND label = CDialogPlayer::Control(dialog, L"Static", i);
        if (!label) return std::wstring();
        std::wstring text = CDialogPlayer::Text(label);
        if (text.compare(0, start.size(), start) == 0) return text;
    }
}

// What the properties dialog showed when it opened.
struct Shown {
    std::wstring queue, version;
    WORD openKey = 0;
    bool askOne = false, askAll = false, drag = false;
    HotKeys hotKeysWhileOpen;
};

}  // namespace

TEST_F(Dialogs, OkTakesTheValuesAQueueSizeOf0Gives10) {
    LoadHotKeys();
    CObClipboard& store = button->GetStore();
    store.SetQueueSize(25);
    Shown shown;
    bool stayedOpen = false;
    LONG notifications = host.Notifications();
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        shown.hotKeysWhileOpen = host.HotKeys();
        HWND queue = CDialogPlayer::Control(dialog, L"Edit", 0);
        HWND openKey = CDialogPlayer::Control(dialog, L"ZAB_HOTKEY_CLASS", 0);
        shown.queue = CDialogPlayer::Text(queue);
        // The field draws its text itself; it answers its value when asked.
        shown.openKey = static_cast<WORD>(SendMessageW(openKey, WM_USER + 2, 0, 0));
        shown.version = LabelStartingWith(dialog, L"v");
        shown.askOne = IsChecked(dialog, AskDeleteOne);
        shown.askAll = IsChecked(dialog, AskDeleteAll);
        shown.drag = IsChecked(dialog, AllowDrag);
        CDialogPlayer::PressKeys(openKey, {VK_CONTROL, VK_SHIFT, 'K'});
        CDialogPlayer::Click(CheckBoxOf(dialog, AllowDrag));
        CDialogPlayer::Click(CheckBoxOf(dialog, AskDeleteAll));
        CDialogPlayer::Type(queue, L"0");
        CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
        stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ(L"25", shown.queue);
    EXPECT_EQ(kOpenMenuKey, shown.openKey);
    EXPECT_EQ(L"v2.3", shown.version);
    EXPECT_FALSE(shown.askOne);
    EXPECT_FALSE(shown.askAll);
    EXPECT_FALSE(shown.drag);
    EXPECT_EQ(Off(), shown.hotKeysWhileOpen);
    EXPECT_FALSE(stayedOpen);

    EXPECT_EQ(10, store.GetQueueSize());
    const WORD ctrlShiftK = 0x0200 | 0x0100 | 'K';
    EXPECT_EQ(ctrlShiftK, button->GetOpenMenuHotKey());
    EXPECT_EQ(kSwapKey, button->GetSwapHotKey());
    EXPECT_TRUE(button->IsDragAllowed());
    EXPECT_TRUE(button->GetConfirmClear());
    EXPECT_FALSE(button->GetConfirmDelete());
    EXPECT_EQ(OffAndBack(ctrlShiftK, kSwapKey), host.HotKeys());
    EXPECT_LT(notifications, host.Notifications());
}

// A queue size that is no number, or a negative one, is refused; one above
// 100,000 is brought down to it. Each time the dialog stays open, the
// history as it was.
TEST_F(Dialogs, OkRefusesAQueueSizeThatIsNoCount) {
    LoadHotKeys();
    CObClipboard& store = button->GetStore();
    std::vector<bool> openAfter;
    std::wstring clamped;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        HWND queue = CDialogPlayer::Control(dialog, L"Edit", 0);
        HWND ok = GetDlgItem(dialog, IDOK);
        for (const wchar_t* text : {L"", L"ten", L"-5", L"12abc", L"999999"}) {
            CDialogPlayer::Paste(queue, text);
            CDialogPlayer::Click(ok);
            openAfter.push_back(IsWindow(dialog) && IsWindowVisible(dialog));
        }
        clamped = CDialogPlayer::Text(queue);
        CDialogPlayer::Click(ok);
        openAfter.push_back(IsWindow(dialog) && IsWindowVisible(dialog));
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ((std::vector<bool>{true, true, true, true, true, false}), openAfter);
    EXPECT_EQ(L"100000", clamped);
    EXPECT_EQ(CXMLPropsDlg::kMaxQueueSize, store.GetQueueSize());
}

// A size the dialog showed and the user left alone is no typing to mend:
// the first OK takes it exactly, however large.
TEST_F(Dialogs, OkKeepsAQueueSizeShownUnchanged) {
    LoadHotKeys();
    CObClipboard& store = button->GetStore();
    const int stored = CXMLPropsDlg::kMaxQueueSize * 3 + 7;
    store.SetQueueSize(stored);
    std::wstring shown;
    bool stayedOpen = true;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        shown = CDialogPlayer::Text(CDialogPlayer::Control(dialog, L"Edit", 0));
        CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
        stayedOpen = IsWindow(dialog) && IsWindowVisible(dialog);
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ(std::to_wstring(stored), shown);
    EXPECT_FALSE(stayedOpen);
    EXPECT_EQ(stored, store.GetQueueSize());
}

// The menu's number of entries: shown, typed, taken on OK and saved; a
// typed one is checked as the queue size is.
TEST_F(Dialogs, MenuEntriesRoundTrip) {
    LoadHotKeys();
    EXPECT_EQ(CClipBoardButton::kDefaultMenuEntries, button->GetMenuEntries());
    button->GetStore().SetQueueSize(CXMLPropsDlg::kMaxQueueSize);
    std::wstring shown, shownQueue;
    std::vector<bool> openAfter;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        HWND entries = CDialogPlayer::Control(dialog, L"Edit", 1);
        shownQueue = CDialogPlayer::Text(CDialogPlayer::Control(dialog, L"Edit", 0));
        shown = CDialogPlayer::Text(entries);
        HWND ok = GetDlgItem(dialog, IDOK);
        for (const wchar_t* text : {L"-1", L"0"}) {
            CDialogPlayer::Paste(entries, text);
            CDialogPlayer::Click(ok);
            openAfter.push_back(IsWindow(dialog) && IsWindowVisible(dialog));
        }
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ(L"30", shown);
    EXPECT_EQ(L"100000", shownQueue);
    EXPECT_EQ((std::vector<bool>{true, false}), openAfter);
    EXPECT_EQ(0, button->GetMenuEntries());
    EXPECT_EQ(CXMLPropsDlg::kMaxQueueSize, button->GetStore().GetQueueSize());

    CDialogPlayer again(kPropertiesCaption, [&](HWND dialog) {
        shown = CDialogPlayer::Text(CDialogPlayer::Control(dialog, L"Edit", 1));
        CDialogPlayer::Type(CDialogPlayer::Control(dialog, L"Edit", 1), L"12");
        CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    again.Finish();
    ASSERT_TRUE(again.Played());
    EXPECT_EQ(L"0", shown);
    EXPECT_EQ(12, button->GetMenuEntries());
    CPluginStream saved;
    SaveIntoSettings(saved);
    ASSERT_TRUE(saved.EnterGroup(L"Settings"));
    EXPECT_EQ(12, saved.ReadInt(L"MenuEntries", 7));
    saved.LeaveGroup();
    ASSERT_TRUE(saved.EnterGroup(L"clipboard"));
    EXPECT_EQ(CXMLPropsDlg::kMaxQueueSize, saved.ReadInt(L"queueSize", 7));
}

TEST_F(Dialogs, EditPropertiesSavesWhatOkTook) {
    LoadHotKeys();
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        CDialogPlayer::Click(CheckBoxOf(dialog, AskDeleteOne));
        CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
    });
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    EXPECT_EQ(S_OK, plugin->EditProperties(stream.Get(), 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    CPluginStream saved;
    ASSERT_TRUE(ReadRecords(stream.Get(), saved));
    ASSERT_TRUE(saved.EnterGroup(L"Settings"));
    EXPECT_EQ(1, saved.ReadInt(L"AskDelOneItem", 7));
    EXPECT_EQ(kOpenMenuKey, saved.ReadWord(L"HotKey", 0));
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
}

TEST_F(Dialogs, GermanTextsInThePropertiesDialog) {
    CGermanBarFolder german(L"mx-dlg", MX_GERMAN_DOCUMENT);
    ASSERT_TRUE(german.Ready());
    ASSERT_EQ(S_OK, plugin->SetLanguage(1031, nullptr));
    LoadHotKeys();
    const std::vector<std::pair<const wchar_t*, std::wstring>> texts = {
        {L"Button", L"Tastenk\u00fcrzel"},
        {L"Static", L"Men\u00fc \u00f6ffnen:"},
        {L"Static", L"Letzte tauschen:"},
        {L"Static", L"Verlaufsgr\u00f6\u00dfe:"},
        {L"Static", L"Men\u00fceintr\u00e4ge:"},
        {L"Button", L"L\u00f6schen eines Eintrags best\u00e4tigen"},
        {L"Button", L"L\u00f6schen aller Eintr\u00e4ge best\u00e4tigen"},
        {L"Button", L"Drag&&Drop erlauben"},
        {L"ZAB_URL_CLASS", L"Mirabex-Homepage"},
        {L"ZAB_URL_CLASS", L"Dravelle-Website"},
        {L"Button", L"Abbrechen"},
    };
    std::vector<std::wstring> missing;
    CDialogPlayer player(L"Mirabex-Eigenschaften", [&](HWND dialog) {
        for (const auto& text : texts)
            if (!CDialogPlayer::Control(dialog, text.first, text.second)) missing.push_back(text.second);
        CDialogPlayer::Close(dialog);
    });
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played()) << "no dialog captioned Mirabex-Eigenschaften";
    EXPECT_TRUE(missing.empty()) << mxtest::Narrow(missing.front());
}

namespace {

const WORD kSearchKey = 0x0300 | 'H';  // Ctrl + Shift + H

// Whether another program could take the key now.
bool IsKeyFree(UINT modifiers, UINT key) {
    const int id = 0x7123;
    if (!RegisterHotKey(nullptr, id, modifiers, key)) return false;
    UnregisterHotKey(nullptr, id);
    return true;
}

HWND HistoryKeyWindow() { return FindWindowExW(HWND_MESSAGE, nullptr, L"MX_HISTORY_OPENER", nullptr); }

}  // namespace

TEST_F(Dialogs, TheSearchHotKeyIsSetInThePropertiesAndOpensTheHistoryWindow) {
    // Settings from before the key: none registered.
    LoadHotKeys(1);
    EXPECT_EQ(0, button->GetSearchHotKey());
    EXPECT_FALSE(button->IsSearchHotKeyRegistered());
    ASSERT_TRUE(bar.CopyText(L"found by the key", 1));

    bool offWhileOpen = false, freeWhileOpen = false;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        offWhileOpen = !button->IsSearchHotKeyRegistered();
        HWND searchKey = CDialogPlayer::Control(dialog, L"ZAB_HOTKEY_CLASS", 2);
        CDialogPlayer::PressKeys(searchKey, {VK_CONTROL, VK_SHIFT, 'H'});
        CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
    });
    EXPECT_EQ(S_OK, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_TRUE(offWhileOpen);
    EXPECT_EQ(kSearchKey, button->GetSearchHotKey());
    EXPECT_TRUE(button->IsSearchHotKeyRegistered());
    EXPECT_FALSE(IsKeyFree(MOD_CONTROL | MOD_SHIFT, 'H'));
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());

    // Open again, the key is free for others until the dialog closes.
    CDialogPlayer cancelled(kPropertiesCaption, [&](HWND dialog) {
        freeWhileOpen = IsKeyFree(MOD_CONTROL | MOD_SHIFT, 'H');
        CDialogPlayer::Click(CDialogPlayer::Control(dialog, L"Button", std::wstring(L"Cancel")));
    });
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    cancelled.Finish();
    ASSERT_TRUE(cancelled.Played());
    EXPECT_TRUE(freeWhileOpen);
    EXPECT_TRUE(button->IsSearchHotKeyRegistered());

    // The key pressed opens the window; pressed again while it is up, it
    // opens no second one. The system's message for the key is posted: real
    // input would reach the other tests' windows on this desktop.
    std::vector<std::wstring> rows;
    int windowsAfterSecondPress = 0;
    CDialogPlayer history(L"Search History", [&](HWND dialog) {
        HWND list = CDialogPlayer::Control(dialog, L"SysListView32", 0);
        WCHAR text[64] = L"";
        ListView_GetItemText(list, 0, 0, text, 64);
        rows.push_back(text);
        SendMessageW(HistoryKeyWindow(), WM_HOTKEY, 1, 0);
        EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), [](HWND window, LPARAM count) {
            if (CDialogPlayer::Text(window) == L"Search History") ++*reinterpret_cast<int*>(count);
            return TRUE;
        }, reinterpret_cast<LPARAM>(&windowsAfterSecondPress));
        CDialogPlayer::PressKeys(CDialogPlayer::Control(dialog, L"Edit", 0), {VK_ESCAPE});
    });
    PostMessageW(HistoryKeyWindow(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, 'H'));
    EXPECT_TRUE(WaitUntil([&] { return history.Played(); }));
    history.Finish();
    EXPECT_EQ((std::vector<std::wstring>{L"found by the key"}), rows);
    EXPECT_EQ(1, windowsAfterSecondPress);

    // Kept through saving and loading.
    CPluginStream saved;
    ComPtr<IStream> stream = SaveIntoSettings(saved);
    ASSERT_TRUE(saved.EnterGroup(L"Settings"));
    EXPECT_EQ(kSearchKey, saved.ReadWord(L"HotKeySearch", 0));
    LoadHotKeys();
    EXPECT_EQ(0, button->GetSearchHotKey());
    EXPECT_TRUE(IsKeyFree(MOD_CONTROL | MOD_SHIFT, 'H'));
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(S_OK, plugin->LoadSettings(stream.Get()));
    EXPECT_EQ(kSearchKey, button->GetSearchHotKey());
    EXPECT_TRUE(button->IsSearchHotKeyRegistered());
}

TEST_F(Dialogs, ASearchHotKeyAnotherProgramHoldsLeavesTheRestWorking) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 0x7124, MOD_CONTROL | MOD_SHIFT, 'J'));
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteWord(L"HotKey", kOpenMenuKey);
    settings.WriteWord(L"HotKeySearch", 0x0300 | 'J');
    settings.EndGroup();
    host.ClearHotKeys();
    EXPECT_EQ(S_OK, plugin->LoadSettings(StreamOf(settings).Get()));
    UnregisterHotKey(nullptr, 0x7124);
    EXPECT_FALSE(button->IsSearchHotKeyRegistered());
    EXPECT_EQ((HotKeys{{kOpenMenuKey, 1}, {0, 2}}), host.HotKeys());
    EXPECT_EQ(0x0300 | 'J', button->GetSearchHotKey());
    EXPECT_EQ(S_OK, plugin->HandleMessage(25, 0, reinterpret_cast<void*>(1)));
    EXPECT_EQ(1, host.MenuActivations());
}
