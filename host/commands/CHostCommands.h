// dvlhost.exe's commands in one table: the verbs of the command line
// ("dvlhost.exe menu --seconds 3") and the steps of a script ("dvlhost.exe
// script \"run 2\" menu"), a row each; a command offered in both ways is one
// row. Each row checks its own words (and options) before anything runs.
// To add a command, add its function and its row; to add an option, add a
// row to CHostOptionReader's table and read it in the command (or in
// CHostOptionReader::Read when every command shares it).
#pragma once
#include <windows.h>
#include <string>
#include "host/bar/CButtonRunner.h"
#include "host/commands/CCommandLine.h"
#include "host/commands/HostCommand.h"

class CHostCommands {
public:
    using Words = CCommandLine::Words;

    // Parses the process's command line and runs the verb; answers the exit code.
    static int Run();
    static int Run(const CCommandLine& line);

    static const HostCommand* Table(size_t& count);

private:
    static const HostCommand* Find(const std::wstring& name, HostCommand::Where where);

    static int Help(CButtonRunner& runner, const CCommandLine& line, const Words& words);
    static int Script(CButtonRunner& runner, const CCommandLine& line, const Words& steps);
    static bool CheckScript(const HostCommand::Given& given, std::wstring& error);
};
