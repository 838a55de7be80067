// dvlhost.exe's verbs. Each verb is one row of a table: its name, its usage,
// whether it needs the button loaded, and the function that runs it. To add
// a verb, add its function and its row; to add an option, add a row to the
// option table and read it in the verb (or in ReadHostOptions when every
// verb shares it).
#pragma once
#include <windows.h>
#include "host/CButtonRunner.h"
#include "host/CCommandLine.h"
#include "host/HostOptions.h"

class CHostCommands {
public:
    enum ExitCode { kOk = 0, kFailed = 1, kUsage = 2 };

    struct Verb {
        const wchar_t* name;
        const wchar_t* usage;
        const wchar_t* summary;
        bool needsButton;
        int (*run)(CButtonRunner& runner, const CCommandLine& line);
    };

    // Parses the process's command line and runs the verb; answers the exit code.
    static int Run();
    static int Run(const CCommandLine& line);
    static bool ReadHostOptions(const CCommandLine& line, HostOptions& options,
                                std::wstring& error);
    static bool ParseColour(const std::wstring& text, DWORD& value);

    static const Verb* Table(size_t& count);
    static const CCommandLine::Option* Options(size_t& count);

    // What the verbs print, for the script's steps as well.
    static int PrintMenu(CButtonRunner& runner);
    static int PrintInfo(CButtonRunner& runner);
    static void PrintCounters(CButtonRunner& runner);

private:
    static const Verb* FindVerb(const std::wstring& name);
    static int Usage(const std::wstring& error);

    static int Help(CButtonRunner& runner, const CCommandLine& line);
    static int Info(CButtonRunner& runner, const CCommandLine& line);
    static int Icon(CButtonRunner& runner, const CCommandLine& line);
    static int Menu(CButtonRunner& runner, const CCommandLine& line);
    static int Show(CButtonRunner& runner, const CCommandLine& line);
    static int RunVerb(CButtonRunner& runner, const CCommandLine& line);
    static int Script(CButtonRunner& runner, const CCommandLine& line);
};
