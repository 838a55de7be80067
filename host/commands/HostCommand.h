// One row of dvlhost.exe's command table: a verb of the command line, a
// step of a script, or both, with the check of its own words and the work
// it does (CHostCommands holds the table).
#pragma once
#include <windows.h>
#include <string>
#include "host/bar/CButtonRunner.h"
#include "host/commands/CCommandLine.h"

struct HostCommand {
    using Words = CCommandLine::Words;

    // Where a command is offered.
    enum Where { kVerb = 1, kStep = 2, kBoth = kVerb | kStep };

    // What a row's check sees: the command's name, its text as given (a
    // script step whole, a verb's name), its words after the name, and the
    // process's command line with its options.
    struct Given {
        const std::wstring& name;
        const std::wstring& text;
        const Words& words;
        const CCommandLine& line;
    };

    const wchar_t* name;
    unsigned where;
    const wchar_t* usage;
    const wchar_t* summary;
    size_t minWords;  // after the name
    size_t maxWords;
    bool needsButton;  // loaded before the command runs
    // Null when the word count says it all; false with the reason.
    bool (*check)(const Given& given, std::wstring& error);
    int (*run)(CButtonRunner& runner, const CCommandLine& line, const Words& words);
};
