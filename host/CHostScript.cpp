#include "host/CHostScript.h"
#include <cwchar>
#include "host/CCommandLine.h"
#include "host/CHostCommands.h"
#include "host/CMenuWalker.h"
#include "host/CMessageBoxAnswerer.h"
#include "host/CTextOut.h"
#include "base/CScopedClipboard.h"
#include "plugin/Unique.h"

namespace {

const int kFailed = CHostCommands::kFailed;
const int kOk = CHostCommands::kOk;
// The first command id the bar hands to AddMenuItems.
const UINT kFirstMenuId = 100;
const DWORD kWaitSlice = 100;
const DWORD kDefaultWaitMs = 10000;
// Long enough for the watcher thread to act on what a hotkey asked for.
const DWORD kHotKeySettle = 300;

struct ContextEntry {
    UINT number;
    std::wstring text;
    UINT state;
};

std::vector<ContextEntry> ReadContextMenu(IDvlButton* button) {
    std::vector<ContextEntry> entries;
    mx::unique_hmenu menu(CreatePopupMenu());
    if (!menu) return entries;
    button->AddMenuItems(menu.get(), 0, kFirstMenuId, 0);
    int count = GetMenuItemCount(menu.get());
    for (int i = 0; i < count; ++i) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(menu.get(), i, text, MAX_PATH, MF_BYPOSITION);
        UINT id = GetMenuItemID(menu.get(), i);
        UINT state = GetMenuState(menu.get(), i, MF_BYPOSITION);
        entries.push_back({id - kFirstMenuId, text, state});
    }
    return entries;
}

int Failed(const std::wstring& what) {
    CTextOut::Err(L"dvlhost: " + what);
    return kFailed;
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
    for (const ContextEntry& entry : ReadContextMenu(runner.Button())) {
        std::wstring line = CTextOut::Format(L"context: %u ", entry.number) + CTextOut::Escape(entry.text);
        if (entry.state & MF_CHECKED) line += L" [checked]";
        if (entry.state & MF_GRAYED) line += L" [grayed]";
        CTextOut::Out(line);
    }
    return kOk;
}

int CHostScript::Pause(CButtonRunner& runner, const std::vector<std::wstring>&) {
    HRESULT hr = runner.Button()->MenuCommand(1, 0, 0);
    std::vector<ContextEntry> entries = ReadContextMenu(runner.Button());
    if (FAILED(hr) || entries.empty()) return Failed(L"the button has no pause entry");
    CTextOut::Out(std::wstring(L"capture: ") + ((entries[0].state & MF_CHECKED) ? L"off" : L"on"));
    return kOk;
}

int CHostScript::Clear(CButtonRunner& runner, const std::vector<std::wstring>& words) {
    int answer = words.empty() || words[0] == L"yes" ? IDYES : IDNO;
    CMessageBoxAnswerer answerer(Caption(runner.Button()), answer);
    HRESULT hr = runner.Button()->MenuCommand(2, 0, 0);
    answerer.Finish();
    if (answerer.Answered())
        CTextOut::Out(L"confirmation: " + CTextOut::Escape(answerer.Question()) + L" -> " +
                      CMessageBoxAnswerer::AnswerName(answer));
    else
        CTextOut::Out(L"confirmation: none");
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
