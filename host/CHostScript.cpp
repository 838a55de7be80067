#include "host/CHostScript.h"
#include <algorithm>
#include <cwchar>
#include <functional>
#include "base/CScopedClipboard.h"
#include "base/Unique.h"
#include "host/CButtonText.h"
#include "host/CCommandLine.h"
#include "host/CContextMenu.h"
#include "host/CDialogMoves.h"
#include "host/CDialogPlayer.h"
#include "host/CHostCommands.h"
#include "host/CMenuWalker.h"
#include "host/CMessageBoxAnswerer.h"
#include "host/CPngWriter.h"
#include "host/CScreenCapture.h"
#include "host/CTextOut.h"
#include "host/CTipWindow.h"

namespace {

const int kFailed = CHostCommands::kFailed;
const int kOk = CHostCommands::kOk;
const DWORD kWaitSlice = 100;
const DWORD kDefaultWaitMs = 10000;
// Long enough for the watcher thread to act on what a hotkey asked for.
const DWORD kHotKeySettle = 300;

int Failed(const std::wstring& what) {
    CTextOut::Err(L"dvlhost: " + what);
    return kFailed;
}

// Runs a command that may ask a yes/no question in a message box with that
// caption, answers it ("yes" or "no") and prints what was asked.
HRESULT Answering(const std::wstring& caption, const std::wstring& yesOrNo, const std::function<HRESULT()>& command) {
    int answer = yesOrNo == L"yes" ? IDYES : IDNO;
    CMessageBoxAnswerer answerer(caption, answer);
    HRESULT hr = command();
    answerer.Finish();
    if (answerer.Answered())
        CTextOut::Out(L"confirmation: " + CTextOut::Escape(answerer.Question()) + L" -> " +
                      CMessageBoxAnswerer::AnswerName(answer));
    else
        CTextOut::Out(L"confirmation: none");
    return hr;
}

}  // namespace

const CHostScript::Step* CHostScript::Table(size_t& count) {
    static const Step steps[] = {
        {L"run", L"run SECONDS", L"run the bar's message loop (captures happen meanwhile)", 1, 1, &CHostScript::RunFor},
        {L"wait-items", L"wait-items N [SECONDS]", L"run until the history lists at least N entries (at most SECONDS, default 10; failing after that); prints \"items: K\"", 1, 2, &CHostScript::WaitItems},
        {L"menu", L"menu", L"the history as the bar enumerates it, as the menu verb prints it", 0, 0, &CHostScript::Menu},
        {L"context", L"context", L"the button's context menu entries: \"context: NUMBER TEXT [checked] [grayed]\"", 0, 0, &CHostScript::Context},
        {L"pause", L"pause", L"choose the context menu's first entry (pause or resume capture); prints \"capture: on|off\"", 0, 0, &CHostScript::Pause},
        {L"clear", L"clear [yes|no]", L"choose the context menu's second entry (clear the history), answering its confirmation (default yes)", 0, 1, &CHostScript::Clear},
        {L"swap", L"swap", L"press the swap hotkey (WM_HOTKEY id 2)", 0, 0, &CHostScript::Swap},
        {L"hotkey", L"hotkey ID", L"press the hotkey with that id (1 opens the menu, 2 swaps)", 1, 1, &CHostScript::HotKey},
        {L"delete-all", L"delete-all", L"the bar's Delete command (Command 0x4000)", 0, 0, &CHostScript::DeleteAll},
        {L"restart", L"restart", L"save the settings, release the button, and load a new one with them", 0, 0, &CHostScript::Restart},
        {L"counters", L"counters", L"what the button asked of the bar so far (hotkeys, notifications, ...)", 0, 0, &CHostScript::Counters},
        {L"info", L"info", L"as the info verb prints it", 0, 0, &CHostScript::Info},
        {L"clipboard", L"clipboard", L"what the clipboard holds now: \"clipboard: FORMAT, FORMAT ...\" and \"clipboard text: TEXT\"", 0, 0, &CHostScript::Clipboard},
        {L"entries", L"entries", L"the history menu as the bar shows it: \"entries: K\", then per entry \"entry N: ID NAME flags 0xF size WxH\" with its \"tip caption:\" and \"tip:\"", 0, 0, &CHostScript::Entries},
        {L"choose", L"choose N", L"choose entry N (1 is the top) of the menu, as a click on it does", 1, 1, &CHostScript::Choose},
        {L"lock", L"lock N", L"lock entry N through its context menu (nothing when it is locked)", 1, 1, &CHostScript::Lock},
        {L"unlock", L"unlock N", L"unlock entry N through its context menu (nothing when it is not locked)", 1, 1, &CHostScript::Unlock},
        {L"delete", L"delete N [yes|no]", L"the bar's Delete on entry N, answering its confirmation (default yes)", 1, 2, &CHostScript::Delete},
        {L"save", L"save N [MOVE...]", L"choose \"Save...\" in entry N's context menu and play the save dialog with the moves of the properties step (without moves: cancel)", 1, 100, &CHostScript::Save},
        {L"search", L"search MOVE...", L"choose \"Search history...\" in the button's context menu and play the history window: name=TEXT types the query, shot=FILE, then ok or cancel", 1, 100, &CHostScript::Search},
        {L"properties", L"properties MOVE...", L"choose Properties in the button's context menu and play the dialog: queue=N open=KEYS swap=KEYS ask-one=on|off ask-all=on|off drag=on|off tab=N format=N name=PATH shot=FILE labels, then ok, cancel or close", 1, 100, &CHostScript::Properties},
        {L"ole-copy", L"ole-copy N", L"hand entry N's data object to OLE's clipboard and flush it (needs dragging allowed)", 1, 1, &CHostScript::OleCopy},
        {L"render-menu", L"render-menu FILE [N]", L"draw the menu as the bar draws it, entry N highlighted, into a PNG file", 1, 2, &CHostScript::RenderMenu},
        {L"render-tip", L"render-tip N FILE", L"draw entry N's tooltip as the bar draws it into a PNG file", 2, 2, &CHostScript::RenderTip},
        {L"shot-menu", L"shot-menu FILE [N]", L"open the menu on screen (entry N highlighted, its tooltip beside it) and write what the screen shows as a PNG file", 1, 2, &CHostScript::ShotMenu},
        {L"shot-context", L"shot-context N FILE", L"open entry N's context menu on screen (0: the button's) and write what the screen shows as a PNG file", 2, 2, &CHostScript::ShotContext},
        {L"wait-clipboard", L"wait-clipboard TEXT [SECONDS]", L"run until the clipboard's text is TEXT (one word; at most SECONDS, default 10; failing after that)", 1, 2, &CHostScript::WaitClipboard},
        {L"echo", L"echo TEXT", L"print TEXT (a marker for whoever reads the output)", 0, 1000, &CHostScript::Echo},
    };
    count = sizeof(steps) / sizeof(steps[0]);
    return steps;
}

const CHostScript::Step* CHostScript::Find(const std::wstring& name) {
    size_t count = 0;
    const Step* steps = Table(count);
    for (size_t i = 0; i < count; ++i)
        if (name == steps[i].name) return &steps[i];
    return nullptr;
}

std::vector<std::wstring> CHostScript::Split(const std::wstring& step) {
    std::vector<std::wstring> words;
    size_t at = 0;
    while (at < step.size()) {
        while (at < step.size() && iswspace(step[at])) ++at;
        size_t end = at;
        while (end < step.size() && !iswspace(step[end])) ++end;
        if (end > at) words.push_back(step.substr(at, end - at));
        at = end;
    }
    return words;
}

bool CHostScript::ParseSeconds(const std::wstring& text, DWORD& milliseconds) {
    size_t dot = text.find(L'.');
    unsigned long long whole = 0;
    if (!CCommandLine::ParseNumber(dot == std::wstring::npos ? text : text.substr(0, dot), 86400, whole))
        return false;
    unsigned long long thousandths = 0;
    if (dot != std::wstring::npos) {
        std::wstring fraction = text.substr(dot + 1);
        if (fraction.empty() || fraction.size() > 3) return false;
        while (fraction.size() < 3) fraction += L'0';
        if (!CCommandLine::ParseNumber(fraction, 999, thousandths)) return false;
    }
    milliseconds = static_cast<DWORD>(whole * 1000 + thousandths);
    return milliseconds <= 86400u * 1000;
}

bool CHostScript::Check(const std::vector<std::wstring>& steps, std::wstring& error) {
    if (steps.empty()) return error = L"script needs at least one step", false;
    for (const std::wstring& step : steps) {
        std::vector<std::wstring> words = Split(step);
        const Step* found = words.empty() ? nullptr : Find(words[0]);
        if (!found) return error = L"unknown step: " + step, false;
        size_t count = words.size() - 1;
        if (count < found->minWords || count > found->maxWords)
            return error = L"usage of the step: " + std::wstring(found->usage), false;
        DWORD ms = 0;
        unsigned long long number = 0;
        if (words[0] == L"run" && !ParseSeconds(words[1], ms))
            return error = L"run needs seconds: " + step, false;
        if (words[0] == L"wait-items" &&
            (!CCommandLine::ParseNumber(words[1], 100000, number) || (count == 2 && !ParseSeconds(words[2], ms))))
            return error = L"wait-items needs a count and seconds: " + step, false;
        if (words[0] == L"clear" && count == 1 && words[1] != L"yes" && words[1] != L"no")
            return error = L"clear answers yes or no: " + step, false;
        const std::wstring& name = words[0];
        bool positioned = name == L"choose" || name == L"lock" || name == L"unlock" || name == L"delete" ||
                          name == L"save" || name == L"ole-copy" || name == L"render-tip" || name == L"shot-context";
        if (positioned && !CCommandLine::ParseNumber(words[1], 100000, number))
            return error = name + L" needs an entry number: " + step, false;
        if (positioned && number == 0 && name != L"shot-context")
            return error = L"entries are numbered from 1: " + step, false;
        if ((name == L"render-menu" || name == L"shot-menu") && count == 2 &&
            (!CCommandLine::ParseNumber(words[2], 100000, number) || number == 0))
            return error = name + L" highlights an entry numbered from 1: " + step, false;
        if (name == L"delete" && count == 2 && words[2] != L"yes" && words[2] != L"no")
            return error = L"delete answers yes or no: " + step, false;
        if (name == L"wait-clipboard" && count == 2 && !ParseSeconds(words[2], ms))
            return error = L"wait-clipboard needs seconds: " + step, false;
        size_t movesFrom = name == L"properties" || name == L"search" ? 1 : name == L"save" ? 2 : words.size();
        if (!CDialogMoves::Check(std::vector<std::wstring>(words.begin() + std::min(movesFrom, words.size()), words.end()), error))
            return false;
        if (words[0] == L"hotkey" && (!CCommandLine::ParseNumber(words[1], 0xBFFF, number) || number == 0))
            return error = L"hotkey needs an id from 1 to 49151: " + step, false;
    }
    return true;
}

int CHostScript::Run(CButtonRunner& runner, const std::vector<std::wstring>& steps) {
    for (const std::wstring& step : steps) {
        std::vector<std::wstring> words = Split(step);
        CTextOut::Out(L"> " + step);
        const Step* found = Find(words[0]);
        words.erase(words.begin());
        int rc = found->run(runner, words);
        if (rc != kOk) return rc;
    }
    return kOk;
}

size_t CHostScript::CountEntries(IDvlButton* button) {
    CMenuWalker walker(button);
    walker.Walk();
    return walker.Entries().size();
}

std::wstring CHostScript::Caption(IDvlButton* button) {
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_TEXT;
    if (FAILED(button->GetInfo(&info))) return std::wstring();
    info.text[MAX_PATH - 1] = L'\0';
    return info.text;
}

int CHostScript::RunFor(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    DWORD ms = 0;
    ParseSeconds(words[0], ms);
    runner.Run(ms);
    return kOk;
}

int CHostScript::WaitItems(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    unsigned long long wanted = 0;
    CCommandLine::ParseNumber(words[0], 100000, wanted);
    DWORD timeout = kDefaultWaitMs;
    if (words.size() > 1) ParseSeconds(words[1], timeout);
    ULONGLONG end = GetTickCount64() + timeout;
    size_t count = CountEntries(runner.Button());
    while (count < wanted && GetTickCount64() < end) {
        runner.Run(kWaitSlice);
        count = CountEntries(runner.Button());
    }
    CTextOut::Out(CTextOut::Format(L"items: %zu", count));
    if (count < wanted)
        return Failed(CTextOut::Format(L"the history still lists %zu entries, not %llu", count, wanted));
    return kOk;
}

int CHostScript::Menu(CButtonRunner& runner, const std::vector<std::wstring>&) {
    return CHostCommands::PrintMenu(runner);
}

int CHostScript::Context(CButtonRunner& runner, const std::vector<std::wstring>&) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    for (const CContextMenu::Item& entry : menu.Items()) {
        std::wstring line = CTextOut::Format(L"context: %u ", entry.number) + CTextOut::Escape(entry.text);
        if (entry.state & MF_CHECKED) line += L" [checked]";
        if (entry.state & MF_GRAYED) line += L" [grayed]";
        CTextOut::Out(line);
    }
    return kOk;
}

int CHostScript::Pause(CButtonRunner& runner, const std::vector<std::wstring>&) {
    HRESULT hr = runner.Button()->MenuCommand(1, 0, 0);
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    if (FAILED(hr) || menu.Items().empty()) return Failed(L"the button has no pause entry");
    CTextOut::Out(std::wstring(L"capture: ") + ((menu.Items()[0].state & MF_CHECKED) ? L"off" : L"on"));
    return kOk;
}

int CHostScript::Clear(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    HRESULT hr = Answering(Caption(runner.Button()), words.empty() ? L"yes" : words[0],
                           [&] { return runner.Button()->MenuCommand(2, 0, 0); });
    runner.Pump();
    if (FAILED(hr)) return Failed(CTextOut::Format(L"MenuCommand 2 failed (0x%08lX)", static_cast<unsigned long>(hr)));
    return kOk;
}

int CHostScript::HotKey(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    unsigned long long id = 0;
    CCommandLine::ParseNumber(words[0], 0xBFFF, id);
    // Delivered as the system delivers a registered hotkey to the bar.
    if (!PostMessageW(runner.Bar().Handle(), WM_HOTKEY, static_cast<WPARAM>(id), 0))
        return Failed(L"cannot post the hotkey");
    runner.Run(kHotKeySettle);
    return kOk;
}

int CHostScript::Swap(CButtonRunner& runner, const std::vector<std::wstring>&) {
    return HotKey(runner, {L"2"});
}

int CHostScript::DeleteAll(CButtonRunner& runner, const std::vector<std::wstring>&) {
    HRESULT hr = runner.Button()->Command(DVLCMD_DELETE, 0, 0);
    CTextOut::Out(CTextOut::Format(L"delete: 0x%08lX", static_cast<unsigned long>(hr)));
    runner.Pump();
    return kOk;
}

int CHostScript::Restart(CButtonRunner& runner, const std::vector<std::wstring>&) {
    HRESULT hr = runner.Restart();
    if (FAILED(hr)) return Failed(runner.Error());
    CTextOut::Out(L"restarted");
    return kOk;
}

int CHostScript::Counters(CButtonRunner& runner, const std::vector<std::wstring>&) {
    CHostCommands::PrintCounters(runner);
    return kOk;
}

int CHostScript::Info(CButtonRunner& runner, const std::vector<std::wstring>&) {
    return CHostCommands::PrintInfo(runner);
}

int CHostScript::Echo(CButtonRunner&, const std::vector<std::wstring>& words) {
    std::wstring text;
    for (const std::wstring& word : words) text += (text.empty() ? L"" : L" ") + word;
    CTextOut::Out(text);
    return kOk;
}

namespace {

std::wstring FormatName(UINT format) {
    static const struct { UINT id; const wchar_t* name; } known[] = {
        {CF_TEXT, L"CF_TEXT"}, {CF_BITMAP, L"CF_BITMAP"}, {CF_OEMTEXT, L"CF_OEMTEXT"},
        {CF_DIB, L"CF_DIB"}, {CF_UNICODETEXT, L"CF_UNICODETEXT"}, {CF_HDROP, L"CF_HDROP"},
        {CF_LOCALE, L"CF_LOCALE"}, {CF_DIBV5, L"CF_DIBV5"}, {CF_PALETTE, L"CF_PALETTE"},
    };
    for (const auto& row : known)
        if (row.id == format) return row.name;
    WCHAR name[256] = L"";
    if (GetClipboardFormatNameW(format, name, 256) > 0) return name;
    return CTextOut::Format(L"#%u", format);
}

// The clipboard's format names and its text. A second of patience: the
// plug-in's watcher may be reading the copy.
bool ReadClipboard(HWND owner, std::wstring* formatNames, std::wstring* clipboardText) {
    CScopedClipboard clipboard(owner, 200, 5);
    if (!clipboard) return false;
    std::wstring& formats = *formatNames;
    std::wstring& text = *clipboardText;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats += (formats.empty() ? L"" : L", ") + FormatName(format);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        mx::unique_hglobal_locked locked(data);
        if (locked) {
            auto chars = static_cast<const wchar_t*>(locked.get());
            size_t limit = locked.size() / sizeof(wchar_t);
            size_t length = 0;
            while (length < limit && chars[length]) ++length;
            text.assign(chars, length);
        }
    }
    return true;
}

}  // namespace

int CHostScript::Clipboard(CButtonRunner& runner, const std::vector<std::wstring>&) {
    std::wstring formats;
    std::wstring text;
    if (!ReadClipboard(runner.Bar().Handle(), &formats, &text))
        return Failed(L"cannot open the clipboard");
    CTextOut::Out(L"clipboard: " + formats);
    if (!text.empty()) CTextOut::Out(L"clipboard text: " + CTextOut::Escape(text));
    return kOk;
}

int CHostScript::WaitClipboard(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    DWORD timeout = kDefaultWaitMs;
    if (words.size() > 1) ParseSeconds(words[1], timeout);
    ULONGLONG end = GetTickCount64() + timeout;
    std::wstring text;
    for (;;) {
        std::wstring formats;
        text.clear();
        ReadClipboard(runner.Bar().Handle(), &formats, &text);
        if (text == words[0] || GetTickCount64() >= end) break;
        runner.Run(kWaitSlice / 5);
    }
    CTextOut::Out(L"clipboard text: " + CTextOut::Escape(text));
    return text == words[0] ? kOk : Failed(L"the clipboard does not hold the text");
}

// ---- the history menu ----------------------------------------------------------------

namespace {

size_t Position(const std::wstring& text) {
    unsigned long long number = 0;
    CCommandLine::ParseNumber(text, 100000, number);
    return static_cast<size_t>(number);
}



int WritePng(const std::wstring& path, HRESULT drawn, UINT width, UINT height, const std::vector<BYTE>& rgba,
             const wchar_t* what) {
    HRESULT hr = SUCCEEDED(drawn) ? CPngWriter::Write(path, width, height, rgba) : drawn;
    if (FAILED(hr))
        return Failed(CTextOut::Format(L"cannot write %ls (0x%08lX)", path.c_str(), static_cast<unsigned long>(hr)));
    CTextOut::Out(CTextOut::Format(L"%ls: %u x %u, %ls", what, width, height, path.c_str()));
    return kOk;
}

// The screen around a menu window and, when it shows, the tooltip beside it.
RECT ShownArea(HWND menuWindow, HWND tipWindow) {
    RECT area{}, tip{};
    if (menuWindow) GetWindowRect(menuWindow, &area);
    if (tipWindow && IsWindowVisible(tipWindow) && GetWindowRect(tipWindow, &tip)) UnionRect(&area, &area, &tip);
    InflateRect(&area, 4, 4);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    return area;
}

// Runs `open` (which shows a menu on screen) and writes what the screen
// shows of it once it is up; the menu is then closed without a choice.
int ShootMenu(CButtonRunner& runner, const std::wstring& path, const std::function<void()>& open) {
    HRESULT drawn = E_FAIL;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    CBarMenus& menus = runner.Menus();
    menus.onShown = [&](HWND menuWindow, HWND tipWindow) {
        if (menuWindow) drawn = CScreenCapture::Area(ShownArea(menuWindow, tipWindow), width, height, rgba);
        EndMenu();
    };
    runner.Bar().Show(40, 40, 200, static_cast<int>(runner.Site()->IconSize()) + 16);
    runner.Run(200);
    open();
    menus.onShown = nullptr;
    menus.highlight = -1;
    return WritePng(path, drawn, width, height, rgba, L"screenshot");
}

}  // namespace

IDvlButton* CHostScript::EntryAt(CButtonRunner& runner, const std::wstring& position) {
    CHistoryMenu& menu = runner.OpenMenu();
    size_t n = Position(position);
    if (n == 0 || n > menu.Count()) {
        Failed(CTextOut::Format(L"the menu has no entry %zu (it has %zu)", n, menu.Count()));
        return nullptr;
    }
    return menu.Button(n - 1);
}

int CHostScript::Entries(CButtonRunner& runner, const std::vector<std::wstring>&) {
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

int CHostScript::Choose(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    if (!EntryAt(runner, words[0])) return kFailed;
    HRESULT hr = runner.Choose(Position(words[0]) - 1);
    CTextOut::Out(CTextOut::Format(L"chosen: %zu (0x%08lX)", Position(words[0]), static_cast<unsigned long>(hr)));
    runner.Pump();
    return hr == S_OK ? kOk : Failed(L"the entry refused the choice");
}

int CHostScript::SetLock(CButtonRunner& runner, const std::wstring& position, bool locked) {
    IDvlButton* entry = EntryAt(runner, position);
    if (!entry) return kFailed;
    CContextMenu menu(entry, CContextMenu::BarCommand::Delete);
    // The entry's first item locks and unlocks; it is checked while locked.
    if (menu.Items().empty() || menu.Items()[0].number != 1) return Failed(L"the entry has no lock item");
    bool isLocked = (menu.Items()[0].state & MF_CHECKED) != 0;
    if (isLocked != locked && menu.ChooseNumber(1) != S_OK) return Failed(L"the lock command failed");
    CTextOut::Out(L"entry " + position + (locked ? L": locked" : L": unlocked"));
    runner.Pump();
    return kOk;
}

int CHostScript::Lock(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    return SetLock(runner, words[0], true);
}

int CHostScript::Unlock(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    return SetLock(runner, words[0], false);
}

int CHostScript::Delete(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    Microsoft::WRL::ComPtr<IDvlButton> entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    CContextMenu menu(entry.Get(), CContextMenu::BarCommand::Delete);
    HRESULT hr = Answering(L"Mirabex", words.size() < 2 ? L"yes" : words[1], [&] { return menu.ChooseNumber(0); });
    CTextOut::Out(CTextOut::Format(L"delete: 0x%08lX", static_cast<unsigned long>(hr)));
    runner.Pump();
    return kOk;
}

int CHostScript::Save(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    CContextMenu menu(entry, CContextMenu::BarCommand::None);
    std::vector<std::wstring> moves(words.begin() + 1, words.end());
    if (moves.empty()) moves.push_back(L"cancel");
    return PlayDialog(runner, moves, L"save", [&] { return menu.ChooseNumber(2); });
}

int CHostScript::Properties(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::Properties);
    return PlayDialog(runner, words, L"properties", [&] { return menu.ChooseNumber(0); });
}

int CHostScript::Search(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    return PlayDialog(runner, words, L"search", [&] { return menu.ChooseNumber(3); });
}

int CHostScript::PlayDialog(CButtonRunner& runner, const std::vector<std::wstring>& moves, const wchar_t* what,
                            const std::function<HRESULT()>& command) {
    CDialogMoves dialogMoves(moves);
    CDialogPlayer player(L"", [&](HWND dialog) { dialogMoves.Play(dialog); });
    HRESULT hr = command();
    player.Finish();
    CTextOut::Out(CTextOut::Format(L"%ls: 0x%08lX", what, static_cast<unsigned long>(hr)));
    runner.Pump();
    if (!player.Played()) return Failed(L"no dialog came up");
    return dialogMoves.Succeeded() ? kOk : Failed(L"the dialog did not end as the moves said");
}

int CHostScript::OleCopy(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    Microsoft::WRL::ComPtr<IDataObject> data;
    if (FAILED(entry->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf()))))
        return Failed(L"the entry gives no data object (dragging is not allowed)");
    HRESULT hr = OleSetClipboard(data.Get());
    data.Reset();
    if (FAILED(hr)) return Failed(CTextOut::Format(L"OleSetClipboard failed (0x%08lX)", static_cast<unsigned long>(hr)));
    // The watcher reads the new content through this thread's rendering
    // meanwhile: flush while answering messages, until it is done.
    ULONGLONG end = GetTickCount64() + kDefaultWaitMs;
    while ((hr = OleFlushClipboard()) != S_OK && GetTickCount64() < end) runner.Run(20);
    if (hr != S_OK) return Failed(CTextOut::Format(L"OleFlushClipboard failed (0x%08lX)", static_cast<unsigned long>(hr)));
    CTextOut::Out(L"ole clipboard: entry " + words[0] + L" flushed");
    return kOk;
}

int CHostScript::RenderMenu(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    CHistoryMenu& menu = runner.OpenMenu();
    int selected = words.size() > 1 ? static_cast<int>(Position(words[1])) - 1 : -1;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT hr = menu.Render(selected, width, height, rgba);
    return WritePng(words[0], hr, width, height, rgba, L"menu");
}

int CHostScript::RenderTip(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    IDvlButton* entry = EntryAt(runner, words[0]);
    if (!entry) return kFailed;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    HRESULT hr = CTipWindow::Render(runner.Site()->MenuFont(), CButtonText::TaskText(entry, 24), CButtonText::TaskText(entry, 22), width,
                                    height, rgba);
    return WritePng(words[1], hr, width, height, rgba, L"tip");
}

int CHostScript::ShotMenu(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    CBarMenus& menus = runner.Menus();
    menus.highlight = words.size() > 1 ? static_cast<int>(Position(words[1])) - 1 : -1;
    return ShootMenu(runner, words[0], [&] { menus.ShowHistory(menus.BelowButton()); });
}

int CHostScript::ShotContext(CButtonRunner& runner, const std::vector<std::wstring>& words) {
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
