// dvlhost.exe: the stand-in Dravelle bar. It loads one button plug-in,
// drives it as the bar does, and offers script-friendly verbs.
#include <windows.h>
#include <ole2.h>
#include "host/commands/CHostCommands.h"

int main() {
    if (FAILED(OleInitialize(nullptr))) return CCommandLine::kFailed;
    int rc = CHostCommands::Run();
    OleUninitialize();
    return rc;
}
