// Finds the button classes the bar knows: the subkeys of
// HKEY_LOCAL_MACHINE\Software\Ombrisk\Dravelle\plugins named by a class id.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CPluginLocator {
public:
    static constexpr const wchar_t* kPluginsKey = L"Software\\Ombrisk\\Dravelle\\plugins";

    // Every subkey whose name is a braced class id, in registry order.
    static std::vector<CLSID> Candidates();
    // The first candidate that implements the Dravelle button category, else the
    // first candidate. `inCategory` tells which of the two it was.
    static HRESULT Find(CLSID& clsid, bool& inCategory);
    static bool ImplementsButtonCategory(const CLSID& clsid);
    // The plug-in key's default value, empty when it has none.
    static std::wstring FriendlyName(const CLSID& clsid);
};
