// The history window as a person uses it: opened from the button's context
// menu, typed into, moved in with the keys while the search field keeps the
// focus, closed with Enter, Shift+Enter, Escape; another program reads the
// clipboard back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "host/automation/CDialogPlayer.h"
#include "host/automation/CMessageBoxAnswerer.h"
#include "plugin/CPlugin.h"
#include "tests/support/COtherApp.h"
#include "tests/ui/CGermanBarFolder.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/RootTestSupport.h"
#include "base/Unique.h"
#include "ui/CClipBoardButton.h"

using namespace clipcontent;

namespace {

const wchar_t kCaption[] = L"Search History";

class HistoryWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.IsReady());
        ASSERT_TRUE(bar.CopyText(L"alpha one", 1));
        ASSERT_TRUE(bar.Copy({Html("<b>Beta</b> two")}, 2));
        ASSERT_TRUE(bar.Copy({Registered(L"Rich Text Format", "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\b Gamma} three}", true)}, 3));
        ASSERT_TRUE(bar.CopyText(L"alpha four", 4));
        ASSERT_TRUE(other.IsRunning());
    }
    // Opens the window from the context menu; the moves are made on it
    // meanwhile. False when no window came.
    bool Play(const CDialogPlayer::Moves& moves, const wchar_t* caption = kCaption) {
        // Keys go in once the window is active: its activation, if it came
        // later, would select the query typed so far, as a dialog does.
        CDialogPlayer player(caption, [&moves](HWND dialog) {
            WaitUntil([&] { return Active(dialog) == dialog && Focus(dialog) == Field(dialog); });
            moves(dialog);
        });
        EXPECT_EQ(S_OK, bar.Root()->MenuCommand(CClipBoardButton::SearchCommand, 0, 0));
        player.Finish();
        return player.Played();
    }
    // Types the query, again while the field does not hold it: under load
    // the X server's focus may still reach the window after it is active,
    // and the dialog then selects what was typed so far, which the next key
    // replaces.
    static void TypeQuery(HWND field, const std::wstring& text) {
        EXPECT_TRUE(WaitUntil([&] {
            CDialogPlayer::Type(field, text);
            return CDialogPlayer::Text(field) == text;
        }));
    }
    static HWND Field(HWND dialog) { return CDialogPlayer::Control(dialog, L"Edit", 0); }
    static HWND List(HWND dialog) { return CDialogPlayer::Control(dialog, WC_LISTVIEWW, 0); }
    static std::vector<std::wstring> Rows(HWND list, int column = 0) {
        std::vector<std::wstring> rows;
        const int count = ListView_GetItemCount(list);
        for (int i = 0; i < count; ++i) {
            WCHAR text[256] = L"";
            ListView_GetItemText(list, i, column, text, 256);
            rows.push_back(text);
        }
        return rows;
    }
    // The window lists again behind each change of the history: its rows are
    // waited for, not read at once.
    static bool RowsAre(HWND list, const std::vector<std::wstring>& rows, int column = 0) {
        return WaitUntil([&] { return Rows(list, column) == rows; });
    }
    static int Selected(HWND list) { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
    static HWND Active(HWND dialog) {
        GUITHREADINFO info = {sizeof(info)};
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        return info.hwndActive;
    }
    static HWND Focus(HWND dialog) {
        GUITHREADINFO info = {sizeof(info)};
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        return info.hwndFocus;
    }

    OleScope ole;
    CMenuTestBar bar;
    mxtest::COtherApp other;
};

}  // namespace

TEST_F(HistoryWindow, TypingFiltersAndEnterPutsTheChosenEntryBack) {
    RECT moved = {};
    ASSERT_TRUE(Play([&](HWND dialog) {
        HWND field = Field(dialog), list = List(dialog);
        EXPECT_EQ(field, Focus(dialog));
        EXPECT_EQ((std::vector<std::wstring>{L"alpha four", L"Gamma three", L"Beta two", L"alpha one"}), Rows(list));
        EXPECT_EQ(0, Selected(list));
        TypeQuery(field, L"ALPHA");
        EXPECT_EQ((std::vector<std::wstring>{L"alpha four", L"alpha one"}), Rows(list));
        CDialogPlayer::PressKeys(field, {VK_DOWN});
        EXPECT_EQ(1, Selected(list));
        CDialogPlayer::PressKeys(field, {VK_HOME});
        EXPECT_EQ(0, Selected(list));
        CDialogPlayer::PressKeys(field, {VK_END});
        EXPECT_EQ(1, Selected(list));
        EXPECT_EQ(field, Focus(dialog));
        EXPECT_EQ(L"ALPHA", CDialogPlayer::Text(field));
        // The window is moved and made larger before it closes.
        RECT rect = {};
        GetWindowRect(dialog, &rect);
        SetWindowPos(dialog, nullptr, rect.left + 13, rect.top + 7, rect.right - rect.left + 40,
                     rect.bottom - rect.top + 30, SWP_NOZORDER);
        GetWindowRect(dialog, &moved);
        CDialogPlayer::PressKeys(field, {VK_RETURN});
    }));
    EXPECT_TRUE(WaitUntil([&] { return other.PastedText() == L"alpha one"; }));
    ASSERT_TRUE(WaitUntil([&] { return bar.Button()->GetStore().GetLastSequence() >= GetClipboardSequenceNumber(); }));
    EXPECT_EQ(4, bar.Count());

    // Shift+Enter: the HTML entry's text alone, where the window was left.
    RECT reopened = {};
    ASSERT_TRUE(Play([&](HWND dialog) {
        GetWindowRect(dialog, &reopened);
        TypeQuery(Field(dialog), L"two beta");
        EXPECT_EQ((std::vector<std::wstring>{L"Beta two"}), Rows(List(dialog)));
        CDialogPlayer::PressKeys(Field(dialog), {VK_SHIFT, VK_RETURN});
    }));
    EXPECT_TRUE(WaitUntil([&] { return other.PastedText() == L"Beta two"; }));
    EXPECT_EQ("err missing", other.Command("dump HTML Format"));
    EXPECT_EQ(moved.left, reopened.left);
    EXPECT_EQ(moved.top, reopened.top);
    EXPECT_EQ(moved.right, reopened.right);
    EXPECT_EQ(moved.bottom, reopened.bottom);

    // Nothing found: Enter puts nothing back, Escape closes the window.
    ASSERT_TRUE(Play([&](HWND dialog) {
        TypeQuery(Field(dialog), L"nowhere");
        EXPECT_TRUE(Rows(List(dialog)).empty());
        CDialogPlayer::PressKeys(Field(dialog), {VK_RETURN});
        CDialogPlayer::PressKeys(Field(dialog), {VK_ESCAPE});
    }));
    EXPECT_EQ(L"Beta two", other.PastedText());
    EXPECT_EQ(4, bar.Count());
}

TEST_F(HistoryWindow, DeleteAndLockActOnTheChosenEntry) {
    ASSERT_TRUE(Play([&](HWND dialog) {
        HWND field = Field(dialog), list = List(dialog);
        TypeQuery(field, L"gamma");
        ASSERT_EQ(1u, Rows(list).size());
        {
            // Declined: the entry stays.
            CMessageBoxAnswerer answerer(L"Mirabex", IDNO);
            CDialogPlayer::PressKeys(field, {VK_DELETE});
            answerer.Finish();
            EXPECT_TRUE(answerer.Answered());
        }
        EXPECT_TRUE(WaitUntil([&] { return Rows(list).size() == 1u; }));
        {
            CMessageBoxAnswerer answerer(L"Mirabex", IDYES);
            CDialogPlayer::PressKeys(field, {VK_DELETE});
            answerer.Finish();
            EXPECT_TRUE(answerer.Answered());
        }
        EXPECT_TRUE(RowsAre(list, {}));
        // Delete before the query's end edits it.
        SendMessageW(field, EM_SETSEL, 0, 0);
        SendMessageW(field, WM_KEYDOWN, VK_DELETE, 1);
        EXPECT_EQ(L"amma", CDialogPlayer::Text(field));
        TypeQuery(field, L"one");
        EXPECT_TRUE(RowsAre(list, {L"alpha one"}));
        CDialogPlayer::Click(CDialogPlayer::Control(dialog, L"Button", std::wstring(L"Lock (Ctrl+L)")));
        EXPECT_TRUE(RowsAre(list, {L"Locked"}, 2));
        // Ctrl+L toggles it too, and types nothing.
        CDialogPlayer::PressKeys(field, {VK_CONTROL, 'L'});
        EXPECT_TRUE(RowsAre(list, {L""}, 2));
        CDialogPlayer::PressKeys(field, {VK_CONTROL, 'L'});
        EXPECT_TRUE(RowsAre(list, {L"Locked"}, 2));
        EXPECT_EQ(L"one", CDialogPlayer::Text(field));
        CDialogPlayer::Close(dialog);
    }));
    EXPECT_EQ(3, bar.Count());
    CObClipboard& store = bar.Button()->GetStore();
    for (int i = 0; i < 3; ++i) {
        ItemRef item = store.GetItem(i);
        EXPECT_EQ(item->GetPreviewText() == L"alpha one", item->IsLocked()) << i;
        EXPECT_NE(L"Gamma three", item->GetPreviewText());
    }
}

TEST_F(HistoryWindow, TheGermanWindow) {
    CGermanBarFolder barFolder(L"mx-history-bar", MX_GERMAN_DOCUMENT);
    ASSERT_TRUE(barFolder.Ready());
    ASSERT_EQ(S_OK, bar.Root()->SetLanguage(1031, nullptr));
    ASSERT_TRUE(Play(
        [&](HWND dialog) {
            EXPECT_NE(nullptr, CDialogPlayer::Control(dialog, L"Button", std::wstring(L"Sperren (Strg+L)")));
            EXPECT_NE(nullptr, CDialogPlayer::Control(dialog, L"Button", std::wstring(L"Schlie\u00dfen")));
            EXPECT_NE(nullptr, CDialogPlayer::Control(dialog, L"Static", std::wstring(L"Suchen:")));
            HWND header = ListView_GetHeader(List(dialog));
            WCHAR text[64] = L"";
            HDITEMW column = {};
            column.mask = HDI_TEXT;
            column.pszText = text;
            column.cchTextMax = 64;
            SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&column));
            EXPECT_STREQ(L"Aufgenommen", text);
            CDialogPlayer::PressKeys(Field(dialog), {VK_ESCAPE});
        },
        L"Verlauf durchsuchen"));
    bar.Root()->SetLanguage(1036, nullptr);
}

// The menu lists the newest two and the locked oldest: "More..." stands for
// the one left out, comes last however the bar sorts, and opens the window.
TEST_F(HistoryWindow, MoreStandsForTheEntriesTheMenuLeavesOut) {
    CClipBoardButton* button = bar.Button();
    button->SetMenuEntries(2);
    button->GetStore().GetItem(0)->SetLocked(true);
    std::vector<Entry> menu = bar.Menu();
    ASSERT_EQ(4u, menu.size());
    Entry more = menu.back();
    EXPECT_EQ(nullptr, CMenuTestBar::EntryOf(more.Get()));
    for (size_t i = 0; i + 1 < menu.size(); ++i) EXPECT_NE(nullptr, CMenuTestBar::EntryOf(menu[i].Get())) << i;
    EXPECT_EQ(L"More... (1)", bar.TipText(more.Get()));
    DVLCOMPARE before{more.Get(), menu.front().Get(), 1, 0}, after{menu.front().Get(), more.Get(), 1, 0};
    bar.Root()->HandleMessage(20, 0, &before);
    bar.Root()->HandleMessage(20, 0, &after);
    EXPECT_EQ(1, before.result);
    EXPECT_EQ(-1, after.result);
    // What the bar offers on any entry finds nothing to act on.
    EXPECT_EQ(S_FALSE, more->Command(0x4000, 0, 0));
    Microsoft::WRL::ComPtr<IDataObject> data;
    EXPECT_EQ(E_NOINTERFACE, more->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf())));
    mx::unique_hmenu context(CreatePopupMenu());
    more->AddMenuItems(context.get(), 0, 100, 0);
    EXPECT_EQ(0, GetMenuItemCount(context.get()));
    EXPECT_EQ(4, bar.Count());

    std::vector<std::wstring> rows;
    CDialogPlayer player(kCaption, [&](HWND dialog) {
        rows = Rows(List(dialog));
        CDialogPlayer::PressKeys(Field(dialog), {VK_ESCAPE});
    });
    EXPECT_EQ(S_OK, more->Execute(0, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return player.Played(); }));
    player.Finish();
    EXPECT_EQ(4u, rows.size());

    // A menu that lists every entry has no "More...".
    menu.clear();
    more.Reset();
    button->SetMenuEntries(4);
    menu = bar.Menu();
    ASSERT_EQ(4u, menu.size());
    EXPECT_NE(nullptr, CMenuTestBar::EntryOf(menu.back().Get()));
}

// A copy made while the window is open appears at its top; the query and
// the chosen entry stay.
TEST_F(HistoryWindow, TheWindowFollowsTheHistoryWhileOpen) {
    std::vector<std::wstring> before, after;
    std::wstring chosen, query;
    ASSERT_TRUE(Play([&](HWND dialog) {
        HWND field = Field(dialog), list = List(dialog);
        TypeQuery(field, L"alpha");
        CDialogPlayer::PressKeys(field, {VK_DOWN});
        before = Rows(list);
        EXPECT_TRUE(RunOtherApp({L"text:alpha arrived while open"}));
        EXPECT_TRUE(WaitUntil([&] { return Rows(list).size() == 3; }));
        after = Rows(list);
        WCHAR text[64] = L"";
        ListView_GetItemText(list, Selected(list), 0, text, 64);
        chosen = text;
        query = CDialogPlayer::Text(field);
        CDialogPlayer::PressKeys(field, {VK_ESCAPE});
    }));
    EXPECT_EQ((std::vector<std::wstring>{L"alpha four", L"alpha one"}), before);
    EXPECT_EQ((std::vector<std::wstring>{L"alpha arrived while open", L"alpha four", L"alpha one"}), after);
    EXPECT_EQ(L"alpha one", chosen);
    EXPECT_EQ(L"alpha", query);
}
