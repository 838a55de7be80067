// dvlhost.exe's options: the table the command line is parsed with, and
// the reading of those every command shares (which button to load and how
// the bar drives it) into HostOptions. An option only some commands take
// is read by those commands.
#pragma once
#include <windows.h>
#include <string>
#include "host/bar/HostOptions.h"
#include "host/commands/CCommandLine.h"

class CHostOptionReader {
public:
    static const CCommandLine::Option* Options(size_t& count);
    // False with the reason when an option's value is malformed.
    static bool Read(const CCommandLine& line, HostOptions& options, std::wstring& error);
};
