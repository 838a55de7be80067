// What dvlhost.exe's commands do with the bar and the button as a whole:
// the verbs of the command line and the script's steps that need no entry
// of the history menu. Each runs with the bar, the process's command line
// and the command's own words, checked before anything runs (CHostCommands).
#pragma once
#include <windows.h>
#include <string>
#include "host/bar/CButtonRunner.h"
#include "host/commands/CCommandLine.h"

class CBarActions {
public:
    using Words = CCommandLine::Words;

    static int Info(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Icon(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Menu(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Show(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    // The verb: runs for --seconds, then prints the menu and the counters.
    static int RunAndReport(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    // The step: runs for the seconds it names.
    static int RunFor(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int WaitItems(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Context(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Pause(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Clear(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Swap(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int HotKey(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int DeleteAll(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Restart(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Counters(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Echo(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Clipboard(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int WaitClipboard(CButtonRunner& runner, const CCommandLine& line, const Words& words);

    // The number of entries the button's enumeration gives now.
    static size_t CountEntries(IDvlButton* button);
    // The button's caption as GetInfo gives it.
    static std::wstring Caption(IDvlButton* button);

private:
    static int PrintMenu(CButtonRunner& runner);
    static void PrintCounters(CButtonRunner& runner);
};
