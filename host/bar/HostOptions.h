// What the host needs to know to load and drive one button.
#pragma once
#include <windows.h>
#include <string>

struct HostOptions {
    bool hasClsid = false;        // otherwise the first class under the plug-ins key
    CLSID clsid{};
    UINT language = 1033;
    bool hasName = false;         // otherwise the plug-in key's name, else "Mirabex"
    std::wstring name;
    bool hasIconLocation = false; // SetIconLocation is only called when one is given
    std::wstring iconLocation;
    UINT iconSize = 32;
    DWORD textStyle = 0xFFFFFFFF; // -1: no glow, else the glow colour
    std::wstring settingsPath;    // empty: %APPDATA%\Dravelle\{clsid}.settings
    bool noSave = false;
    bool trace = false;
};
