#include "host/commands/CBarActions.h"
#include <functional>
#include <string>
#include <vector>
#include "base/CScopedClipboard.h"
#include "base/Unique.h"
#include "host/automation/CMessageBoxAnswerer.h"
#include "host/automation/CPngWriter.h"
#include "host/automation/CScreenCapture.h"
#include "host/bar/CButtonText.h"
#include "host/bar/CContextMenu.h"
#include "host/bar/CGuidText.h"
#include "host/bar/CHistoryIndex.h"
#include "host/bar/CIconRenderer.h"
#include "host/bar/CMenuWalker.h"
#include "host/bar/CNumberText.h"
#include "host/bar/CTextOut.h"

namespace {

const int kOk = CCommandLine::kOk;
const int kFailed = CCommandLine::kFailed;
const DWORD kWaitSlice = 100;
const DWORD kDefaultWaitMs = 10000;
// Long enough for the watcher thread to act on what a hotkey asked for.
const DWORD kHotKeySettle = 300;

std::wstring Field(const wchar_t* key, const std::wstring& value) {
    std::wstring line = key;
    line += L":";
    if (!value.empty()) line += L" " + CTextOut::Escape(value);
    return line;
}

std::wstring Hex(DWORD value) { return CTextOut::Format(L"0x%08lX", static_cast<unsigned long>(value)); }

// The id a history entry's enumeration text ends in ("clip:12" -> 12), or 0.
int EntryNumber(const std::wstring& text) {
    size_t colon = text.find_last_of(L':');
    std::wstring digits = colon == std::wstring::npos ? text : text.substr(colon + 1);
    unsigned long long number = 0;
    if (!CNumberText::Parse(digits, 0x7FFFFFFF, number)) return 0;
    return static_cast<int>(number);
}

std::wstring EntryLine(const std::wstring& id, const CHistoryIndex& index) {
    std::wstring line = L"entry: " + CTextOut::Escape(id);
    const CHistoryIndex::Entry* entry = index.Find(EntryNumber(id));
    if (!entry) return line;
    if (entry->hasTime) line += L"  " + CHistoryIndex::FormatTime(entry->time);
    if (entry->locked) line += L"  locked";
    return line;
}

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

void CBarActions::PrintCounters(CButtonRunner& runner) {
    CDvlHostSite* site = runner.Site();
    for (const auto& key : site->HotKeys().All())
        CTextOut::Out(CTextOut::Format(L"hotkey %u: 0x%04X", key.first, key.second));
    CTextOut::Out(CTextOut::Format(L"notifications: %ld", site->NotifyCount()));
    CTextOut::Out(CTextOut::Format(L"invalidations: %ld", site->RefreshCount(DVLREFRESH_INVALIDATE)));
    CTextOut::Out(CTextOut::Format(L"menu activations: %ld", site->ActivateMenuCount()));
}

int CBarActions::Info(CButtonRunner& runner, const CCommandLine&, const Words&) {
    IDvlButton* button = runner.Button();
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_STYLE | DVLINFO_KIND | DVLINFO_SIZE | DVLINFO_TEXT | DVLINFO_SIZE2;
    button->GetInfo(&info);
    info.text[MAX_PATH - 1] = L'\0';
    GUID id{};
    bool hasId = button->HandleMessage(2, 0, &id) == S_OK;
    WCHAR location[MAX_PATH] = L"";
    button->GetIconLocation(location);
    location[MAX_PATH - 1] = L'\0';
    CTextOut::Out(Field(L"plug-in class", CGuidText::Format(runner.PluginClass())));
    CTextOut::Out(Field(L"settings file", runner.SettingsPath()));
    CTextOut::Out(Field(L"caption", info.text));
    CTextOut::Out(Field(L"name", CButtonText::BufferText(button, 27)));
    CTextOut::Out(Field(L"class id", hasId ? CGuidText::Format(id) : std::wstring()));
    CTextOut::Out(Field(L"style", Hex(info.style)));
    CTextOut::Out(Field(L"kind", Hex(info.kind)));
    CTextOut::Out(CTextOut::Format(L"size: %ld x %ld", info.size.cx, info.size.cy));
    CTextOut::Out(Field(L"icon location", location));
    CTextOut::Out(Field(L"tooltip", CButtonText::TaskText(button, 22)));
    CTextOut::Out(Field(L"tip caption", CButtonText::TaskText(button, 24)));
    PrintCounters(runner);
    return kOk;
}

int CBarActions::Icon(CButtonRunner& runner, const CCommandLine& line, const Words&) {
    std::wstring path = line.Text(L"--png");
    UINT size = runner.Site()->IconSize();
    std::vector<BYTE> rgba;
    HRESULT hr = CIconRenderer::Render(runner.Button(), size, rgba);
    if (SUCCEEDED(hr)) hr = CPngWriter::Write(path, size, size, rgba);
    if (FAILED(hr)) {
        CTextOut::Err(CTextOut::Format(L"dvlhost: cannot write %ls (0x%08lX)", path.c_str(),
                                       static_cast<unsigned long>(hr)));
        return kFailed;
    }
    size_t opaque = 0;
    for (size_t i = 3; i < rgba.size(); i += 4) opaque += rgba[i] != 0;
    CTextOut::Out(CTextOut::Format(L"icon: %u x %u, %zu covered pixels, %ls", size, size, opaque,
                                   path.c_str()));
    return kOk;
}

int CBarActions::Menu(CButtonRunner& runner, const CCommandLine&, const Words&) { return PrintMenu(runner); }

int CBarActions::PrintMenu(CButtonRunner& runner) {
    CMenuWalker walker(runner.Button());
    HRESULT hr = walker.Walk();
    // Read after the walk: the button saves while it holds no lock for the bar.
    CHistoryIndex index;
    index.ReadFrom(runner.Button());
    for (const auto& key : walker.Keys())
        CTextOut::Out(CTextOut::Format(L"sort key: %u ", key.id) + CTextOut::Escape(key.name));
    CTextOut::Out(CTextOut::Format(L"entries: %zu", walker.Entries().size()));
    for (const auto& entry : walker.Entries()) CTextOut::Out(EntryLine(entry.id, index));
    CTextOut::Out(CTextOut::Format(L"children: %zu", walker.Children().size()));
    for (const auto& child : walker.Children()) {
        CTextOut::Out(Field(L"child", child.id));
        CTextOut::Out(L"  " + Field(L"name", CButtonText::BufferText(child.button.Get(), 27)));
        CTextOut::Out(L"  " + Field(L"tip", CButtonText::TaskText(child.button.Get(), 22)));
    }
    if (walker.Failures())
        CTextOut::Err(CTextOut::Format(L"note: the button made no sub-button for %zu entries", walker.Failures()));
    walker.Clear();
    if (FAILED(hr)) {
        CTextOut::Err(L"dvlhost: the button's enumeration did not end");
        return kFailed;
    }
    return kOk;
}

int CBarActions::Show(CButtonRunner& runner, const CCommandLine& line, const Words&) {
    unsigned long long seconds = 0;
    line.Number(L"--seconds", 86400, seconds);
    std::wstring screenshot = line.Text(L"--screenshot");
    UINT size = runner.Site()->IconSize();
    int width = static_cast<int>(size) + 8 + 4 + 6 + 160;
    int height = static_cast<int>(size) + 16;
    runner.Bar().Show(40, 40, width, height);
    // A person may click the button now.
    runner.SetInteractive(true);
    DWORD total = seconds ? static_cast<DWORD>(seconds * 1000) : INFINITE;
    int rc = kOk;
    if (!screenshot.empty()) {
        // Paint once more after the window has surely been mapped, then read the screen.
        const DWORD settle = 1000;
        runner.Run(settle / 2);
        RedrawWindow(runner.Bar().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        runner.Run(settle / 2);
        if (total != INFINITE) total = total > settle ? total - settle : 0;
        UINT shotWidth = 0, shotHeight = 0;
        std::vector<BYTE> rgba;
        HRESULT hr = CScreenCapture::Window(runner.Bar().Handle(), shotWidth, shotHeight, rgba);
        if (SUCCEEDED(hr)) hr = CPngWriter::Write(screenshot, shotWidth, shotHeight, rgba);
        if (FAILED(hr)) {
            CTextOut::Err(CTextOut::Format(L"dvlhost: cannot write %ls (0x%08lX)",
                                           screenshot.c_str(), static_cast<unsigned long>(hr)));
            rc = kFailed;
        } else {
            CTextOut::Out(CTextOut::Format(L"screenshot: %u x %u, %ls", shotWidth, shotHeight,
                                           screenshot.c_str()));
        }
    }
    runner.Run(total);
    PrintCounters(runner);
    return rc;
}

int CBarActions::RunAndReport(CButtonRunner& runner, const CCommandLine& line, const Words&) {
    unsigned long long seconds = 5;
    line.Number(L"--seconds", 86400, seconds);
    runner.Run(static_cast<DWORD>(seconds * 1000));
    int rc = PrintMenu(runner);
    PrintCounters(runner);
    return rc;
}

size_t CBarActions::CountEntries(IDvlButton* button) {
    CMenuWalker walker(button);
    walker.Walk();
    return walker.Entries().size();
}

std::wstring CBarActions::Caption(IDvlButton* button) {
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_TEXT;
    if (FAILED(button->GetInfo(&info))) return std::wstring();
    info.text[MAX_PATH - 1] = L'\0';
    return info.text;
}

int CBarActions::RunFor(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    DWORD ms = 0;
    CCommandLine::ParseSeconds(words[0], ms);
    runner.Run(ms);
    return kOk;
}

int CBarActions::WaitItems(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    unsigned long long wanted = 0;
    CNumberText::Parse(words[0], 100000, wanted);
    DWORD timeout = kDefaultWaitMs;
    if (words.size() > 1) CCommandLine::ParseSeconds(words[1], timeout);
    ULONGLONG end = GetTickCount64() + timeout;
    size_t count = CountEntries(runner.Button());
    while (count < wanted && GetTickCount64() < end) {
        runner.Run(kWaitSlice);
        count = CountEntries(runner.Button());
    }
    CTextOut::Out(CTextOut::Format(L"items: %zu", count));
    if (count < wanted)
        return CCommandLine::Fail(CTextOut::Format(L"the history still lists %zu entries, not %llu", count, wanted));
    return kOk;
}

int CBarActions::Context(CButtonRunner& runner, const CCommandLine&, const Words&) {
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    for (const CContextMenu::Item& entry : menu.Items()) {
        std::wstring line = CTextOut::Format(L"context: %u ", entry.number) + CTextOut::Escape(entry.text);
        if (entry.state & MF_CHECKED) line += L" [checked]";
        if (entry.state & MF_GRAYED) line += L" [grayed]";
        CTextOut::Out(line);
    }
    return kOk;
}

int CBarActions::Pause(CButtonRunner& runner, const CCommandLine&, const Words&) {
    HRESULT hr = runner.Button()->MenuCommand(1, 0, 0);
    CContextMenu menu(runner.Button(), CContextMenu::BarCommand::None);
    if (FAILED(hr) || menu.Items().empty()) return CCommandLine::Fail(L"the button has no pause entry");
    CTextOut::Out(std::wstring(L"capture: ") + ((menu.Items()[0].state & MF_CHECKED) ? L"off" : L"on"));
    return kOk;
}

int CBarActions::Clear(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    HRESULT hr = CMessageBoxAnswerer::AnswerDuring(Caption(runner.Button()), words.empty() ? L"yes" : words[0],
                           [&] { return runner.Button()->MenuCommand(2, 0, 0); });
    runner.Pump();
    if (FAILED(hr)) return CCommandLine::Fail(CTextOut::Format(L"MenuCommand 2 failed (0x%08lX)", static_cast<unsigned long>(hr)));
    return kOk;
}

int CBarActions::HotKey(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    unsigned long long id = 0;
    CNumberText::Parse(words[0], 0xBFFF, id);
    // Delivered as the system delivers a registered hotkey to the bar.
    if (!PostMessageW(runner.Bar().Handle(), WM_HOTKEY, static_cast<WPARAM>(id), 0))
        return CCommandLine::Fail(L"cannot post the hotkey");
    runner.Run(kHotKeySettle);
    return kOk;
}

int CBarActions::Swap(CButtonRunner& runner, const CCommandLine& line, const Words&) {
    return HotKey(runner, line, {L"2"});
}

int CBarActions::DeleteAll(CButtonRunner& runner, const CCommandLine&, const Words&) {
    HRESULT hr = runner.Button()->Command(DVLCMD_DELETE, 0, 0);
    CTextOut::Out(CTextOut::Format(L"delete: 0x%08lX", static_cast<unsigned long>(hr)));
    runner.Pump();
    return kOk;
}

int CBarActions::Restart(CButtonRunner& runner, const CCommandLine&, const Words&) {
    HRESULT hr = runner.Restart();
    if (FAILED(hr)) return CCommandLine::Fail(runner.Error());
    CTextOut::Out(L"restarted");
    return kOk;
}

int CBarActions::Counters(CButtonRunner& runner, const CCommandLine&, const Words&) {
    CBarActions::PrintCounters(runner);
    return kOk;
}

int CBarActions::Echo(CButtonRunner&, const CCommandLine&, const Words& words) {
    std::wstring text;
    for (const std::wstring& word : words) text += (text.empty() ? L"" : L" ") + word;
    CTextOut::Out(text);
    return kOk;
}

int CBarActions::Clipboard(CButtonRunner& runner, const CCommandLine&, const Words&) {
    std::wstring formats;
    std::wstring text;
    if (!ReadClipboard(runner.Bar().Handle(), &formats, &text))
        return CCommandLine::Fail(L"cannot open the clipboard");
    CTextOut::Out(L"clipboard: " + formats);
    if (!text.empty()) CTextOut::Out(L"clipboard text: " + CTextOut::Escape(text));
    return kOk;
}

int CBarActions::WaitClipboard(CButtonRunner& runner, const CCommandLine&, const Words& words) {
    DWORD timeout = kDefaultWaitMs;
    if (words.size() > 1) CCommandLine::ParseSeconds(words[1], timeout);
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
    return text == words[0] ? kOk : CCommandLine::Fail(L"the clipboard does not hold the text");
}
