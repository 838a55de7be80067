#include "host/CHostCommands.h"
#include <string>
#include <vector>
#include "base/Unique.h"
#include "host/CButtonText.h"
#include "host/CGuidText.h"
#include "host/CHistoryIndex.h"
#include "host/CHostScript.h"
#include "host/CIconRenderer.h"
#include "host/CMenuWalker.h"
#include "host/CPngWriter.h"
#include "host/CScreenCapture.h"
#include "host/CTextOut.h"

namespace {

const CCommandLine::Option kOptions[] = {
    {L"--clsid", L"{CLSID}", L"the plug-in class to load (default: the first under the plug-ins key, preferring the Dravelle button category)"},
    {L"--lang", L"N", L"language id passed to SetLanguage (default 1033)"},
    {L"--name", L"TEXT", L"caption passed to SetName (default: the plug-in key's name, else Mirabex)"},
    {L"--icon", L"LOCATION", L"icon location passed to SetIconLocation (not called without it)"},
    {L"--icon-size", L"N", L"the bar's icon size in pixels, 1-256 (default 32)"},
    {L"--glow", L"COLOR", L"text style answered to request 21: #RRGGBB, a COLORREF number, or -1 for none (default -1)"},
    {L"--settings", L"FILE", L"the button's settings file (default %APPDATA%\\Dravelle\\{CLSID}.settings)"},
    {L"--no-save", nullptr, L"do not write the settings back at the end"},
    {L"--trace", nullptr, L"log every call the button makes to the bar on standard error"},
    {L"--png", L"FILE", L"icon: the PNG file to write"},
    {L"--seconds", L"N", L"show: close the bar after N seconds (default: when its window is closed); run: how long to run (default 5)"},
    {L"--screenshot", L"FILE", L"show: once the bar has been on screen for a second, write what the screen shows of it as a PNG file"},
};

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
    if (!CCommandLine::ParseNumber(digits, 0x7FFFFFFF, number)) return 0;
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

}  // namespace

void CHostCommands::PrintCounters(CButtonRunner& runner) {
    CDvlHostSite* site = runner.Site();
    for (const auto& key : site->HotKeys().All())
        CTextOut::Out(CTextOut::Format(L"hotkey %u: 0x%04X", key.first, key.second));
    CTextOut::Out(CTextOut::Format(L"notifications: %ld", site->NotifyCount()));
    CTextOut::Out(CTextOut::Format(L"invalidations: %ld", site->RefreshCount(DVLREFRESH_INVALIDATE)));
    CTextOut::Out(CTextOut::Format(L"menu activations: %ld", site->ActivateMenuCount()));
}

const CCommandLine::Option* CHostCommands::Options(size_t& count) {
    count = sizeof(kOptions) / sizeof(kOptions[0]);
    return kOptions;
}

const CHostCommands::Verb* CHostCommands::Table(size_t& count) {
    static const Verb verbs[] = {
        {L"help", L"help", L"list the verbs and options", false, &CHostCommands::Help},
        {L"info", L"info", L"print the button's caption, class id, GetInfo fields, icon location, tooltip and what it asked of the bar", true, &CHostCommands::Info},
        {L"icon", L"icon --png FILE", L"draw the button's icon at the bar's icon size and write it as a PNG file", true, &CHostCommands::Icon},
        {L"menu", L"menu", L"build the button's menu: its sort keys, the entries it enumerates (with their saved capture times) and each sub-button's id, name and tooltip", true, &CHostCommands::Menu},
        {L"show", L"show [--seconds N] [--screenshot FILE]", L"show the bar with the button until its window is closed", true, &CHostCommands::Show},
        {L"run", L"run [--seconds N]", L"run the bar for N seconds (the button captures meanwhile), then print the menu and the counters", true, &CHostCommands::RunVerb},
        {L"script", L"script STEP...", L"drive the button through the steps below, in order; stops at the first that fails", true, &CHostCommands::Script},
    };
    count = sizeof(verbs) / sizeof(verbs[0]);
    return verbs;
}

const CHostCommands::Verb* CHostCommands::FindVerb(const std::wstring& name) {
    size_t count = 0;
    const Verb* verbs = Table(count);
    for (size_t i = 0; i < count; ++i)
        if (name == verbs[i].name) return &verbs[i];
    return nullptr;
}

int CHostCommands::Usage(const std::wstring& error) {
    CTextOut::Err(L"dvlhost: " + error);
    CTextOut::Err(L"run \"dvlhost.exe help\" for the verbs and options");
    return kUsage;
}

bool CHostCommands::ParseColour(const std::wstring& text, DWORD& value) {
    if (text == L"-1" || text == L"none") {
        value = 0xFFFFFFFF;
        return true;
    }
    unsigned long long number = 0;
    if (text.size() == 7 && text[0] == L'#') {
        if (!CCommandLine::ParseNumber(L"0x" + text.substr(1), 0xFFFFFF, number)) return false;
        value = RGB((number >> 16) & 0xFF, (number >> 8) & 0xFF, number & 0xFF);
        return true;
    }
    if (!CCommandLine::ParseNumber(text, 0xFFFFFFFF, number)) return false;
    value = static_cast<DWORD>(number);
    return true;
}

bool CHostCommands::ReadHostOptions(const CCommandLine& line, HostOptions& options,
                                    std::wstring& error) {
    unsigned long long number = 0;
    if (line.Has(L"--clsid")) {
        options.hasClsid = CGuidText::Parse(line.Text(L"--clsid").c_str(), options.clsid);
        if (!options.hasClsid) return error = L"--clsid needs a braced class id", false;
    }
    number = options.language;
    if (!line.Number(L"--lang", 0xFFFF, number)) return error = L"--lang needs a number up to 65535", false;
    options.language = static_cast<UINT>(number);
    number = options.iconSize;
    if (!line.Number(L"--icon-size", 256, number) || number == 0)
        return error = L"--icon-size needs a number from 1 to 256", false;
    options.iconSize = static_cast<UINT>(number);
    if (line.Has(L"--glow") && !ParseColour(line.Text(L"--glow"), options.textStyle))
        return error = L"--glow needs #RRGGBB, a number or -1", false;
    if (line.Has(L"--name")) {
        options.hasName = true;
        options.name = line.Text(L"--name");
    }
    if (line.Has(L"--icon")) {
        options.hasIconLocation = true;
        options.iconLocation = line.Text(L"--icon");
    }
    options.settingsPath = line.Text(L"--settings");
    options.noSave = line.Has(L"--no-save");
    options.trace = line.Has(L"--trace");
    return true;
}

int CHostCommands::Run() {
    size_t count = 0;
    const CCommandLine::Option* options = Options(count);
    CCommandLine line;
    if (!line.ParseProcess(options, count)) return Usage(line.Error());
    return Run(line);
}

int CHostCommands::Run(const CCommandLine& line) {
    const Verb* verb = FindVerb(line.Verb().empty() ? L"help" : line.Verb());
    if (!verb) return Usage(L"unknown verb: " + line.Verb());
    if (verb->run != &CHostCommands::Script && !line.Arguments().empty())
        return Usage(L"unexpected argument: " + line.Arguments().front());
    HostOptions options;
    std::wstring error;
    if (!ReadHostOptions(line, options, error)) return Usage(error);
    if (verb->run == &CHostCommands::Script && !CHostScript::Check(line.Arguments(), error))
        return Usage(error);
    CButtonRunner runner(options);
    if (verb->needsButton && FAILED(runner.Start())) {
        CTextOut::Err(L"dvlhost: " + runner.Error());
        return kFailed;
    }
    int rc = verb->run(runner, line);
    runner.Stop();
    return rc;
}

int CHostCommands::Help(CButtonRunner&, const CCommandLine&) {
    CTextOut::Out(L"usage: dvlhost.exe VERB [options]");
    CTextOut::Out(L"verbs:");
    size_t count = 0;
    const Verb* verbs = Table(count);
    for (size_t i = 0; i < count; ++i)
        CTextOut::Out(CTextOut::Format(L"  %-28ls %ls", verbs[i].usage, verbs[i].summary));
    CTextOut::Out(L"options:");
    const CCommandLine::Option* options = Options(count);
    for (size_t i = 0; i < count; ++i) {
        std::wstring name = options[i].name;
        if (options[i].valueName) name += std::wstring(L" ") + options[i].valueName;
        CTextOut::Out(CTextOut::Format(L"  %-28ls %ls", name.c_str(), options[i].help));
    }
    CTextOut::Out(L"script steps (each one argument), e.g.:");
    CTextOut::Out(L"  dvlhost.exe script \"wait-items 2 30\" menu swap restart menu \"clear no\"");
    const CHostScript::Step* steps = CHostScript::Table(count);
    for (size_t i = 0; i < count; ++i)
        CTextOut::Out(CTextOut::Format(L"  %-28ls %ls", steps[i].usage, steps[i].summary));
    return kOk;
}

int CHostCommands::Info(CButtonRunner& runner, const CCommandLine&) { return PrintInfo(runner); }

int CHostCommands::PrintInfo(CButtonRunner& runner) {
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

int CHostCommands::Icon(CButtonRunner& runner, const CCommandLine& line) {
    std::wstring path = line.Text(L"--png");
    if (path.empty()) return Usage(L"icon needs --png FILE");
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

int CHostCommands::Menu(CButtonRunner& runner, const CCommandLine&) { return PrintMenu(runner); }

int CHostCommands::PrintMenu(CButtonRunner& runner) {
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

int CHostCommands::Show(CButtonRunner& runner, const CCommandLine& line) {
    unsigned long long seconds = 0;
    if (!line.Number(L"--seconds", 86400, seconds)) return Usage(L"--seconds needs a number");
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

int CHostCommands::RunVerb(CButtonRunner& runner, const CCommandLine& line) {
    unsigned long long seconds = 5;
    if (!line.Number(L"--seconds", 86400, seconds)) return Usage(L"--seconds needs a number");
    runner.Run(static_cast<DWORD>(seconds * 1000));
    int rc = PrintMenu(runner);
    PrintCounters(runner);
    return rc;
}

int CHostCommands::Script(CButtonRunner& runner, const CCommandLine& line) {
    return CHostScript::Run(runner, line.Arguments());
}
