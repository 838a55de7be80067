// dvlhost.exe's commands in one table: the verbs of the command line
// ("dvlhost.exe menu --seconds 3") and the steps of a script ("dvlhost.exe
// script \"run 2\" menu"), a row each; a command offered in both ways is one
// row. Each row checks its own words (and options) before anything runs.
// To add a command, add its function and its row; to add an option, add a
// row to the option table and read it in the command (or in ReadHostOptions
// when every command shares it).
#pragma once
#include <windows.h>
#include <string>
#include "host/bar/CButtonRunner.h"
#include "host/bar/HostOptions.h"
#include "host/commands/CCommandLine.h"

class CHostCommands {
public:
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

    struct Command {
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

    // Parses the process's command line and runs the verb; answers the exit code.
    static int Run();
    static int Run(const CCommandLine& line);
    static bool ReadHostOptions(const CCommandLine& line, HostOptions& options,
                                std::wstring& error);
    static bool ParseColour(const std::wstring& text, DWORD& value);

    static const Command* Table(size_t& count);
    static const CCommandLine::Option* Options(size_t& count);

private:
    static const Command* Find(const std::wstring& name, Where where);
    static int Usage(const std::wstring& error);

    static int Help(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Script(CButtonRunner& runner, const CCommandLine& line, const Words& steps);
    static bool CheckScript(const Given& given, std::wstring& error);
};
