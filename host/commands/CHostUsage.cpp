#include "host/commands/CHostUsage.h"
#include "host/bar/CTextOut.h"
#include "host/commands/CHostOptionReader.h"

namespace {

void PrintRow(const wchar_t* usage, const wchar_t* summary) {
    CTextOut::Out(CTextOut::Format(L"  %-28ls %ls", usage, summary));
}

void PrintCommands(const HostCommand* commands, size_t count, HostCommand::Where where) {
    for (size_t i = 0; i < count; ++i)
        if (commands[i].where & where) PrintRow(commands[i].usage, commands[i].summary);
}

}  // namespace

void CHostUsage::Print(const HostCommand* commands, size_t count) {
    CTextOut::Out(L"usage: dvlhost.exe VERB [options]");
    CTextOut::Out(L"verbs:");
    PrintCommands(commands, count, HostCommand::kVerb);
    CTextOut::Out(L"options:");
    size_t optionCount = 0;
    const CCommandLine::Option* options = CHostOptionReader::Options(optionCount);
    for (size_t i = 0; i < optionCount; ++i) {
        std::wstring name = options[i].name;
        if (options[i].valueName) name += std::wstring(L" ") + options[i].valueName;
        PrintRow(name.c_str(), options[i].help);
    }
    CTextOut::Out(L"script steps (each one argument), e.g.:");
    CTextOut::Out(L"  dvlhost.exe script \"wait-items 2 30\" menu swap restart menu \"clear no\"");
    PrintCommands(commands, count, HostCommand::kStep);
}

int CHostUsage::Refuse(const std::wstring& error) {
    CTextOut::Err(L"dvlhost: " + error);
    CTextOut::Err(L"run \"dvlhost.exe help\" for the verbs and options");
    return CCommandLine::kUsage;
}
