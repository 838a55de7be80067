#include "host/commands/CHostOptionReader.h"
#include "host/bar/CGuidText.h"
#include "host/commands/CColourText.h"

namespace {

const CCommandLine::Option kOptions[] = {
    {L"--clsid", L"{CLSID}", L"the plug-in class to load (default: the first under the plug-ins key, preferring the Dravelle button category)"},
    {L"--lang", L"N", L"language id passed to SetLanguage (default 1033)"},
    {L"--name", L"TEXT", L"caption passed to SetName (default: the plug-in key's name, else Mirabex)"},
    {L"--icon", L"LOCATION", L"icon location passed to SetIconLocation (not called without it)"},
    {L"--icon-size", L"N", L"the bar's icon size in pixels, 1-256 (default 32)"},
    {L"--glow", L"COLOR", L"text style answered to request 21: #RRGGBB, a COLORREF number, or -1 for none (default -1)"},
    {L"--settings", L"FILE", L"the button's settings file (default %APPDATA%\\Dravelle\\{CLSID}.settings)"},
    {L"--no-save", nullptr, L"do not write the settings back at the end"},
    {L"--trace", nullptr, L"log every call the button makes to the bar on standard error"},
    {L"--png", L"FILE", L"icon: the PNG file to write"},
    {L"--seconds", L"N", L"show: close the bar after N seconds (default: when its window is closed); run: how long to run (default 5)"},
    {L"--screenshot", L"FILE", L"show: once the bar has been on screen for a second, write what the screen shows of it as a PNG file"},
};

}  // namespace

const CCommandLine::Option* CHostOptionReader::Options(size_t& count) {
    count = sizeof(kOptions) / sizeof(kOptions[0]);
    return kOptions;
}

bool CHostOptionReader::Read(const CCommandLine& line, HostOptions& options, std::wstring& error) {
    unsigned long long number = 0;
    if (line.Has(L"--clsid")) {
        options.hasClsid = CGuidText::Parse(line.Text(L"--clsid").c_str(), options.clsid);
        if (!options.hasClsid) return error = L"--clsid needs a braced class id", false;
    }
    number = options.language;
    if (!line.Number(L"--lang", 0xFFFF, number)) return error = L"--lang needs a number up to 65535", false;
    options.language = static_cast<UINT>(number);
    number = options.iconSize;
    if (!line.Number(L"--icon-size", 256, number) || number == 0)
        return error = L"--icon-size needs a number from 1 to 256", false;
    options.iconSize = static_cast<UINT>(number);
    if (line.Has(L"--glow") && !CColourText::Parse(line.Text(L"--glow"), options.textStyle))
        return error = L"--glow needs #RRGGBB, a number or -1", false;
    if (line.Has(L"--name")) {
        options.hasName = true;
        options.name = line.Text(L"--name");
    }
    if (line.Has(L"--icon")) {
        options.hasIconLocation = true;
        options.iconLocation = line.Text(L"--icon");
    }
    options.settingsPath = line.Text(L"--settings");
    options.noSave = line.Has(L"--no-save");
    options.trace = line.Has(L"--trace");
    return true;
}
