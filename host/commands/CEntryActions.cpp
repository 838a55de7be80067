#include "host/commands/CEntryActions.h"
#include <wrl/client.h>
#include <string>
#include <vector>
#include "host/automation/CDialogMoves.h"
#include "host/automation/CDialogPlayer.h"
#include "host/automation/CMenuShot.h"
#include "host/automation/CMessageBoxAnswerer.h"
#include "host/automation/CPngWriter.h"
#include "host/bar/CButtonText.h"
#include "host/bar/CContextMenu.h"
#include "host/bar/CNumberText.h"
#include "host/bar/CTextOut.h"
#include "host/bar/CTipWindow.h"

namespace {

const int kOk = CCommandLine::kOk;
const int kFailed = CCommandLine::kFailed;
const DWORD kDefaultWaitMs = 10000;

size_t Position(const std::wstring& text) {
    unsigned long long number = 0;
    CNumberText::Parse(text, 100000, number);
    return static_cast<size_t>(number);
}

int WritePng(const std::wstring& path, HRESULT drawn, UINT width, UINT height, const std::vector<BYTE>& rgba,
             const wchar_t* what) {
    HRESULT hr = SUCCEEDED(drawn) ? CPngWriter::Write(path, width, height, rgba) : drawn;
    if (FAILED(hr))
        return CCommandLine::Fail(CTextOut::Format(L"cannot write %ls (0x%08lX)", path.c_str(), static_cast<unsigned long>(hr)));
    CTextOut::Out(CTextOut::Format(L"%ls: %u x %u, %ls", what, width, height, path.c_str()));
    return kOk;
}

// Runs `open` (which shows a menu on screen) and writes what the screen
// shows of it once it is up; the menu is then closed without a choice.
int ShootMenu(CButtonRunner& runner, const std::wstring& path, const std::function<void()>& open) {
    runner.Bar().Show(40, 40, 200, static_cast<int>(runner.Site()->IconSize()) + 16);
    runner.Run(200);
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT drawn = CMenuShot::Take(open, width, height, rgba);
    return WritePng(path, drawn, width, height, rgba, L"screenshot");
}

}  // namespace

IDvlButton* CEntryActions::EntryAt(CButtonRunner& runner, const std::wstring& position) {
    CHistoryMenu& menu = runner.OpenMenu();
    size_t n = Position(position);
    if (n == 0 || n > menu.Count()) {
        CCommandLine::Fail(CTextOut::Format(L"the menu has no entry %zu (it has %zu)", n, menu.Count()));
        return nullptr;
    }
    return menu.Button(n - 1);
}

int CEntryActions::Entries(CButtonRunner& runner, const CCommandLine&, const Words&) {
    CHistoryMenu& menu = runner.OpenMenu();
    CTextOut::Out(CTextOut::Format(L"entries: %zu", menu.Count()));
    for (size_t i = 0; i < menu.Count(); ++i) {
        IDvlButton* entry = menu.Button(i);
        SIZE size = menu.Size(i);
        CTextOut::Out(CTextOut::Format(L"entry %zu: ", i + 1) + CTextOut::Escape(menu.Id(i)) + L" " +
                      CTextOut::Escape(CButtonText::BufferText(entry, 27)) +
                      CTextOut::Format(L" flags 0x%03lX size %ldx%ld", static_cast<unsigned long>(menu.Changes(i)),
                                       size.cx, size.cy));
        CTextOut::Out(L"  tip caption: " + CTextOut::Escape(CButtonText::TaskText(entry, 24)));
        CTextOut::Out(L"  tip: " + CTextOut::Escape(CButtonText::TaskText(entry, 22)));
    }
    return kOk;
}

int CEntryActions::Choose(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    if (!EntryAt(runner, words[0])) return kFailed;
    HRESULT hr = runner.Choose(Position(words[0]) - 1);
    CTextOut::Out(CTextOut::Format(L"chosen: %zu (0x%08lX)", Position(words[0]), static_cast<unsigned long>(hr)));
    runner.Pump();
    return hr == S_OK ? kOk : CCommandLine::Fail(L"the entry refused the choice");
}

int CEntryActions::SetLock(CButtonRunner& runner, const std::wstring& position, bool locked) {
    IDvlButton* entry = EntryAt(runner, position);
    if (!entry) return kFailed;
    CContextMenu menu(entry, CContextMenu::BarCommand::Delete);
    // The entry's first item locks and unlocks; it is checked while locked.
    if (menu.Items().empty() || menu.Items()[0].number != 1) return CCommandLine::Fail(L"the entry has no lock item");
    bool isLocked = (menu.Items()[0].state & MF_CHECKED) != 0;
    if (isLocked != locked && menu.ChooseNumber(1) != S_OK) return CCommandLine::Fail(L"the lock command failed");
    CTextOut::Out(L"entry " + position + (locked ? L": locked" : L": unlocked"));
    runner.Pump();
    return kOk;
}

int CEntryActions::Lock(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    return SetLock(runner, words[0], true);
}

int CEntryActions::Unlock(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    return SetLock(runner, words[0], false);
}

int CEntryActions::Delete(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    Microsoft::WRL::ComPtr<IDvlButton> entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    CContextMenu menu(entry.Get(), CContextMenu::BarCommand::Delete);
    HRESULT hr = CMessageBoxAnswerer::AnswerDuring(L"Mirabex", words.size() < 2 ? L"yes" : words[1], [&] { return menu.ChooseNumber(0); });
    CTextOut::Out(CTextOut::Format(L"delete: 0x%08lX", static_cast<unsigned long>(hr)));
    runner.Pump();
    return kOk;
}

int CEntryActions::Save(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    CContextMenu menu(entry, CContextMenu::BarCommand::None);
    std::vector<std::wstring> moves(words.begin() + 1, words.end());
    if (moves.empty()) moves.push_back(L"cancel");
    return PlayDialog(runner, moves, L"save", [&] { return menu.ChooseNumber(2); });
}

int CEntryActions::Properties(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::Properties);
    return PlayDialog(runner, words, L"properties", [&] { return menu.ChooseNumber(0); });
}

int CEntryActions::Search(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    return PlayDialog(runner, words, L"search", [&] { return menu.ChooseNumber(3); });
}

int CEntryActions::PlayDialog(CButtonRunner& runner, const Words& moves, const wchar_t* what,
                            const std::function<HRESULT()>& command) {
    CDialogMoves dialogMoves(moves);
    CDialogPlayer player(L"", [&](HWND dialog) { dialogMoves.Play(dialog); });
    HRESULT hr = command();
    player.Finish();
    CTextOut::Out(CTextOut::Format(L"%ls: 0x%08lX", what, static_cast<unsigned long>(hr)));
    runner.Pump();
    if (!player.Played()) return CCommandLine::Fail(L"no dialog came up");
    return dialogMoves.Succeeded() ? kOk : CCommandLine::Fail(L"the dialog did not end as the moves said");
}

int CEntryActions::OleCopy(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    Microsoft::WRL::ComPtr<IDataObject> data;
    if (FAILED(entry->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf()))))
        return CCommandLine::Fail(L"the entry gives no data object (dragging is not allowed)");
    HRESULT hr = OleSetClipboard(data.Get());
    data.Reset();
    if (FAILED(hr)) return CCommandLine::Fail(CTextOut::Format(L"OleSetClipboard failed (0x%08lX)", static_cast<unsigned long>(hr)));
    // The watcher reads the new content through this thread's rendering
    // meanwhile: flush while answering messages, until it is done.
    ULONGLONG end = GetTickCount64() + kDefaultWaitMs;
    while ((hr = OleFlushClipboard()) != S_OK && GetTickCount64() < end) runner.Run(20);
    if (hr != S_OK) return CCommandLine::Fail(CTextOut::Format(L"OleFlushClipboard failed (0x%08lX)", static_cast<unsigned long>(hr)));
    CTextOut::Out(L"ole clipboard: entry " + words[0] + L" flushed");
    return kOk;
}

int CEntryActions::RenderMenu(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    CHistoryMenu& menu = runner.OpenMenu();
    int selected = words.size() > 1 ? static_cast<int>(Position(words[1])) - 1 : -1;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT hr = menu.Render(selected, width, height, rgba);
    return WritePng(words[0], hr, width, height, rgba, L"menu");
}

int CEntryActions::RenderTip(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT hr = CTipWindow::Render(runner.Site()->MenuFont(), CButtonText::TaskText(entry, 24), CButtonText::TaskText(entry, 22), width,
                                    height, rgba);
    return WritePng(words[1], hr, width, height, rgba, L"tip");
}

// The entry is highlighted as if the user had moved there with the keyboard.
int CEntryActions::ShotMenu(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    const int highlight = words.size() > 1 ? static_cast<int>(Position(words[1])) - 1 : -1;
    CBarMenus& menus = runner.Menus();
    return ShootMenu(runner, words[0], [&] {
        const size_t count = runner.OpenMenu().Count();
        for (int i = 0; i <= highlight && static_cast<size_t>(i) < count; ++i)
            PostMessageW(runner.Bar().Handle(), WM_KEYDOWN, VK_DOWN, 0);
        menus.ShowHistory(menus.BelowButton());
    });
}

int CEntryActions::ShotContext(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    size_t n = Position(words[0]);
    if (n > 0 && !EntryAt(runner, words[0])) return kFailed;
    CBarMenus& menus = runner.Menus();
    return ShootMenu(runner, words[1], [&] {
        if (n == 0)
            menus.ShowButtonContext(menus.BelowButton());
        else
            menus.ShowEntryContext(n - 1, menus.BelowButton());
    });
}
