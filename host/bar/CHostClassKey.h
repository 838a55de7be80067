// The bar's own class key, through which a plug-in finds the bar's program:
// CLSID\{host class id}\InprocServer32, default value = the program's full path.
#pragma once
#include <windows.h>
#include <string>

class CHostClassKey {
public:
    static constexpr const wchar_t* kFriendlyName = L"Dravelle stand-in bar";

    // Written under HKEY_CLASSES_ROOT, or under the user's classes when the
    // machine's are not writable.
    static HRESULT Register(const std::wstring& programPath);
    // The path a plug-in reads back through HKEY_CLASSES_ROOT.
    static std::wstring RegisteredPath();
    static std::wstring KeyPath();

private:
    static HRESULT WriteUnder(HKEY root, const std::wstring& prefix, const std::wstring& path);
};
