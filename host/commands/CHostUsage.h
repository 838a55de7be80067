// What dvlhost.exe tells a person about using it: the help text made from
// the command and option tables, and the two lines on standard error that
// refuse a command line.
#pragma once
#include <windows.h>
#include <string>
#include "host/commands/HostCommand.h"

class CHostUsage {
public:
    // Prints the verbs, the options and the script steps on standard output.
    static void Print(const HostCommand* commands, size_t count);
    // Prints "dvlhost: ERROR" and where to read more; answers kUsage.
    static int Refuse(const std::wstring& error);
};
