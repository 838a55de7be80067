#include "host/commands/CHostCommands.h"
#include <string>
#include <vector>
#include "host/automation/CDialogMoves.h"
#include "host/bar/CNumberText.h"
#include "host/bar/CTextOut.h"
#include "host/commands/CBarActions.h"
#include "host/commands/CEntryActions.h"
#include "host/commands/CHostOptionReader.h"
#include "host/commands/CHostUsage.h"

namespace {

using Given = HostCommand::Given;
using Words = CCommandLine::Words;

const size_t kAny = static_cast<size_t>(-1);
const unsigned kVerb = HostCommand::kVerb, kStep = HostCommand::kStep, kBoth = HostCommand::kBoth;

// ---- the verbs' checks

bool CheckPng(const Given& given, std::wstring& error) {
    if (given.line.Text(L"--png").empty()) return error = L"icon needs --png FILE", false;
    return true;
}

bool CheckSecondsOption(const Given& given, std::wstring& error) {
    unsigned long long seconds = 0;
    if (!given.line.Number(L"--seconds", 86400, seconds)) return error = L"--seconds needs a number", false;
    return true;
}

// ---- the steps' checks

bool CheckRun(const Given& given, std::wstring& error) {
    DWORD ms = 0;
    if (!CCommandLine::ParseSeconds(given.words[0], ms)) return error = L"run needs seconds: " + given.text, false;
    return true;
}

bool CheckWaitItems(const Given& given, std::wstring& error) {
    unsigned long long number = 0;
    DWORD ms = 0;
    if (!CNumberText::Parse(given.words[0], 100000, number) ||
        (given.words.size() == 2 && !CCommandLine::ParseSeconds(given.words[1], ms)))
        return error = L"wait-items needs a count and seconds: " + given.text, false;
    return true;
}

// The optional yes or no that answers a confirmation, at the index.
bool CheckAnswerAt(const Given& given, size_t index, std::wstring& error) {
    if (given.words.size() <= index) return true;
    const std::wstring& answer = given.words[index];
    if (answer != L"yes" && answer != L"no")
        return error = given.name + L" answers yes or no: " + given.text, false;
    return true;
}

bool CheckAnswer(const Given& given, std::wstring& error) { return CheckAnswerAt(given, 0, error); }

// The first word numbers an entry; 0 (the button itself) only when allowed.
bool CheckPosition(const Given& given, bool zeroAllowed, std::wstring& error) {
    unsigned long long number = 0;
    if (!CNumberText::Parse(given.words[0], 100000, number))
        return error = given.name + L" needs an entry number: " + given.text, false;
    if (number == 0 && !zeroAllowed) return error = L"entries are numbered from 1: " + given.text, false;
    return true;
}

bool CheckEntry(const Given& given, std::wstring& error) { return CheckPosition(given, false, error); }

bool CheckEntryOrButton(const Given& given, std::wstring& error) {
    return CheckPosition(given, true, error);
}

bool CheckDelete(const Given& given, std::wstring& error) {
    return CheckEntry(given, error) && CheckAnswerAt(given, 1, error);
}

bool CheckMoves(const Given& given, std::wstring& error) {
    return CDialogMoves::Check(given.words, error);
}

bool CheckSave(const Given& given, std::wstring& error) {
    return CheckEntry(given, error) &&
           CDialogMoves::Check(Words(given.words.begin() + 1, given.words.end()), error);
}

// The optional second word highlights an entry.
bool CheckHighlight(const Given& given, std::wstring& error) {
    unsigned long long number = 0;
    if (given.words.size() == 2 && (!CNumberText::Parse(given.words[1], 100000, number) || number == 0))
        return error = given.name + L" highlights an entry numbered from 1: " + given.text, false;
    return true;
}

bool CheckWaitClipboard(const Given& given, std::wstring& error) {
    DWORD ms = 0;
    if (given.words.size() == 2 && !CCommandLine::ParseSeconds(given.words[1], ms))
        return error = L"wait-clipboard needs seconds: " + given.text, false;
    return true;
}

bool CheckHotKey(const Given& given, std::wstring& error) {
    unsigned long long number = 0;
    if (!CNumberText::Parse(given.words[0], 0xBFFF, number) || number == 0)
        return error = L"hotkey needs an id from 1 to 49151: " + given.text, false;
    return true;
}

}  // namespace

const HostCommand* CHostCommands::Table(size_t& count) {
    using B = CBarActions;
    using E = CEntryActions;
    static const HostCommand commands[] = {
        {L"help", kVerb, L"help", L"list the verbs and options", 0, 0, false, nullptr, &CHostCommands::Help},
        {L"info", kBoth, L"info", L"print the button's caption, class id, GetInfo fields, icon location, tooltip and what it asked of the bar", 0, 0, true, nullptr, &B::Info},
        {L"icon", kVerb, L"icon --png FILE", L"draw the button's icon at the bar's icon size and write it as a PNG file", 0, 0, true, &CheckPng, &B::Icon},
        {L"menu", kBoth, L"menu", L"build the button's menu: its sort keys, the entries it enumerates (with their saved capture times) and each sub-button's id, name and tooltip", 0, 0, true, nullptr, &B::Menu},
        {L"show", kVerb, L"show [--seconds N] [--screenshot FILE]", L"show the bar with the button until its window is closed", 0, 0, true, &CheckSecondsOption, &B::Show},
        {L"run", kVerb, L"run [--seconds N]", L"run the bar for N seconds (the button captures meanwhile), then print the menu and the counters", 0, 0, true, &CheckSecondsOption, &B::RunAndReport},
        {L"script", kVerb, L"script STEP...", L"drive the button through the steps below, in order; stops at the first that fails", 0, kAny, true, &CHostCommands::CheckScript, &CHostCommands::Script},
        {L"run", kStep, L"run SECONDS", L"run the bar's message loop (captures happen meanwhile)", 1, 1, true, &CheckRun, &B::RunFor},
        {L"wait-items", kStep, L"wait-items N [SECONDS]", L"run until the history lists at least N entries (at most SECONDS, default 10; failing after that); prints \"items: K\"", 1, 2, true, &CheckWaitItems, &B::WaitItems},
        {L"context", kStep, L"context", L"the button's context menu entries: \"context: NUMBER TEXT [checked] [grayed]\"", 0, 0, true, nullptr, &B::Context},
        {L"pause", kStep, L"pause", L"choose the context menu's first entry (pause or resume capture); prints \"capture: on|off\"", 0, 0, true, nullptr, &B::Pause},
        {L"clear", kStep, L"clear [yes|no]", L"choose the context menu's second entry (clear the history), answering its confirmation (default yes)", 0, 1, true, &CheckAnswer, &B::Clear},
        {L"swap", kStep, L"swap", L"press the swap hotkey (WM_HOTKEY id 2)", 0, 0, true, nullptr, &B::Swap},
        {L"hotkey", kStep, L"hotkey ID", L"press the hotkey with that id (1 opens the menu, 2 swaps)", 1, 1, true, &CheckHotKey, &B::HotKey},
        {L"delete-all", kStep, L"delete-all", L"the bar's Delete command (Command 0x4000)", 0, 0, true, nullptr, &B::DeleteAll},
        {L"restart", kStep, L"restart", L"save the settings, release the button, and load a new one with them", 0, 0, true, nullptr, &B::Restart},
        {L"counters", kStep, L"counters", L"what the button asked of the bar so far (hotkeys, notifications, ...)", 0, 0, true, nullptr, &B::Counters},
        {L"clipboard", kStep, L"clipboard", L"what the clipboard holds now: \"clipboard: FORMAT, FORMAT ...\" and \"clipboard text: TEXT\"", 0, 0, true, nullptr, &B::Clipboard},
        {L"entries", kStep, L"entries", L"the history menu as the bar shows it: \"entries: K\", then per entry \"entry N: ID NAME flags 0xF size WxH\" with its \"tip caption:\" and \"tip:\"", 0, 0, true, nullptr, &E::Entries},
        {L"choose", kStep, L"choose N", L"choose entry N (1 is the top) of the menu, as a click on it does", 1, 1, true, &CheckEntry, &E::Choose},
        {L"lock", kStep, L"lock N", L"lock entry N through its context menu (nothing when it is locked)", 1, 1, true, &CheckEntry, &E::Lock},
        {L"unlock", kStep, L"unlock N", L"unlock entry N through its context menu (nothing when it is not locked)", 1, 1, true, &CheckEntry, &E::Unlock},
        {L"delete", kStep, L"delete N [yes|no]", L"the bar's Delete on entry N, answering its confirmation (default yes)", 1, 2, true, &CheckDelete, &E::Delete},
        {L"save", kStep, L"save N [MOVE...]", L"choose \"Save...\" in entry N's context menu and play the save dialog with the moves of the properties step (without moves: cancel)", 1, 100, true, &CheckSave, &E::Save},
        {L"search", kStep, L"search MOVE...", L"choose \"Search history...\" in the button's context menu and play the history window: name=TEXT types the query, shot=FILE, then ok or cancel", 1, 100, true, &CheckMoves, &E::Search},
        {L"properties", kStep, L"properties MOVE...", L"choose Properties in the button's context menu and play the dialog: queue=N open=KEYS swap=KEYS ask-one=on|off ask-all=on|off drag=on|off tab=N format=N name=PATH shot=FILE labels, then ok, cancel or close", 1, 100, true, &CheckMoves, &E::Properties},
        {L"ole-copy", kStep, L"ole-copy N", L"hand entry N's data object to OLE's clipboard and flush it (needs dragging allowed)", 1, 1, true, &CheckEntry, &E::OleCopy},
        {L"render-menu", kStep, L"render-menu FILE [N]", L"draw the menu as the bar draws it, entry N highlighted, into a PNG file", 1, 2, true, &CheckHighlight, &E::RenderMenu},
        {L"render-tip", kStep, L"render-tip N FILE", L"draw entry N's tooltip as the bar draws it into a PNG file", 2, 2, true, &CheckEntry, &E::RenderTip},
        {L"shot-menu", kStep, L"shot-menu FILE [N]", L"open the menu on screen (entry N highlighted, its tooltip beside it) and write what the screen shows as a PNG file", 1, 2, true, &CheckHighlight, &E::ShotMenu},
        {L"shot-context", kStep, L"shot-context N FILE", L"open entry N's context menu on screen (0: the button's) and write what the screen shows as a PNG file", 2, 2, true, &CheckEntryOrButton, &E::ShotContext},
        {L"wait-clipboard", kStep, L"wait-clipboard TEXT [SECONDS]", L"run until the clipboard's text is TEXT (one word; at most SECONDS, default 10; failing after that)", 1, 2, true, &CheckWaitClipboard, &B::WaitClipboard},
        {L"echo", kStep, L"echo TEXT", L"print TEXT (a marker for whoever reads the output)", 0, 1000, true, nullptr, &B::Echo},
    };
    count = sizeof(commands) / sizeof(commands[0]);
    return commands;
}

const HostCommand* CHostCommands::Find(const std::wstring& name, HostCommand::Where where) {
    size_t count = 0;
    const HostCommand* commands = Table(count);
    for (size_t i = 0; i < count; ++i)
        if ((commands[i].where & where) && name == commands[i].name) return &commands[i];
    return nullptr;
}

int CHostCommands::Run() {
    size_t count = 0;
    const CCommandLine::Option* options = CHostOptionReader::Options(count);
    CCommandLine line;
    if (!line.ParseProcess(options, count)) return CHostUsage::Refuse(line.Error());
    return Run(line);
}

int CHostCommands::Run(const CCommandLine& line) {
    const std::wstring name = line.Verb().empty() ? L"help" : line.Verb();
    const HostCommand* verb = Find(name, HostCommand::kVerb);
    if (!verb) return CHostUsage::Refuse(L"unknown verb: " + line.Verb());
    const Words& words = line.Arguments();
    if (words.size() > verb->maxWords) return CHostUsage::Refuse(L"unexpected argument: " + words[verb->maxWords]);
    HostOptions options;
    std::wstring error;
    if (!CHostOptionReader::Read(line, options, error)) return CHostUsage::Refuse(error);
    if (verb->check && !verb->check(Given{name, name, words, line}, error)) return CHostUsage::Refuse(error);
    CButtonRunner runner(options);
    if (verb->needsButton && FAILED(runner.Start())) return CCommandLine::Fail(runner.Error());
    int rc = verb->run(runner, line, words);
    runner.Stop();
    return rc;
}

// Every step is checked before the first one runs.
bool CHostCommands::CheckScript(const Given& given, std::wstring& error) {
    if (given.words.empty()) return error = L"script needs at least one step", false;
    for (const std::wstring& step : given.words) {
        const Words words = CCommandLine::SplitWords(step);
        const HostCommand* found = words.empty() ? nullptr : Find(words[0], HostCommand::kStep);
        if (!found) return error = L"unknown step: " + step, false;
        const Words rest(words.begin() + 1, words.end());
        if (rest.size() < found->minWords || rest.size() > found->maxWords)
            return error = L"usage of the step: " + std::wstring(found->usage), false;
        if (found->check && !found->check(Given{words[0], step, rest, given.line}, error)) return false;
    }
    return true;
}

// Each step prints a line "> STEP" before it runs; the script stops at the
// first step that fails and answers its exit code.
int CHostCommands::Script(CButtonRunner& runner, const CCommandLine& line, const Words& steps) {
    for (const std::wstring& step : steps) {
        const Words words = CCommandLine::SplitWords(step);
        CTextOut::Out(L"> " + step);
        const HostCommand* found = Find(words[0], HostCommand::kStep);
        int rc = found->run(runner, line, Words(words.begin() + 1, words.end()));
        if (rc != CCommandLine::kOk) return rc;
    }
    return CCommandLine::kOk;
}

int CHostCommands::Help(CButtonRunner&, const CCommandLine&, const Words&) {
    size_t count = 0;
    const HostCommand* commands = Table(count);
    CHostUsage::Print(commands, count);
    return CCommandLine::kOk;
}
