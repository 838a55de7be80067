#include "plugin/Registration.h"
#include <comcat.h>
#include <olectl.h>
#include <shlwapi.h>
#include <wrl/client.h>
#include "base/Module.h"
#include "base/Unique.h"
#include "plugin/Guids.h"
#include "ui/IDvlHost.h"

namespace {

const char kFriendlyName[] = "Mirabex";

struct KeyRow {
    HKEY root;
    const char* format;     // %s: the class identifier
    const char* valueName;  // null: the default value
    const char* value;      // null: the key only
    const WCHAR* wideValue; // the default value in UTF-16 when 8-bit text would lose characters
};

// The class identifier in its braced registry form, in the ANSI code page.
bool ClassIdText(char* text, int size) {
    WCHAR wide[40];
    if (!::StringFromGUID2(CLSID_Mirabex, wide, 40)) return false;
    return ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, size, nullptr, nullptr) > 0;
}

void WriteRow(const KeyRow& row, const char* clsid) {
    char key[MAX_PATH];
    ::wsprintfA(key, row.format, clsid);
    mx::unique_hkey handle;
    if (::RegCreateKeyExA(row.root, key, 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    if (row.wideValue) {
        ::RegSetValueExW(handle.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(row.wideValue),
                         static_cast<DWORD>((::lstrlenW(row.wideValue) + 1) * sizeof(WCHAR)));
        return;
    }
    if (!row.value) return;
    ::RegSetValueExA(handle.get(), row.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(row.value),
                     static_cast<DWORD>(::lstrlenA(row.value) + 1));
}

HRESULT RegisterCategory() {
    HRESULT init = ::CoInitialize(nullptr);
    HRESULT hr;
    {
        Microsoft::WRL::ComPtr<ICatRegister> categories;
        hr = ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&categories));
        if (SUCCEEDED(hr)) {
            CATID category = CATID_DravelleButtons;
            hr = categories->RegisterClassImplCategories(CLSID_Mirabex, 1, &category);
        }
    }
    // Only a successful initialisation is ours to undo.
    if (SUCCEEDED(init)) ::CoUninitialize();
    return hr;
}

}  // namespace

HRESULT RegisterServer() {
    char clsid[40];
    if (!ClassIdText(clsid, sizeof(clsid))) return SELFREG_E_CLASS;
    WCHAR widePath[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(GetModuleInstance(), widePath, MAX_PATH);
    // A cut path would register some other file.
    if (length == 0 || length >= MAX_PATH) return SELFREG_E_CLASS;
    char path[MAX_PATH * 2] = {};
    BOOL lossy = FALSE;
    if (!::WideCharToMultiByte(CP_ACP, 0, widePath, -1, path, sizeof(path), nullptr, &lossy)) lossy = TRUE;
    const KeyRow rows[] = {
        {HKEY_CLASSES_ROOT, "CLSID\\%s", nullptr, kFriendlyName, nullptr},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", nullptr, path, lossy ? widePath : nullptr},
        {HKEY_CLASSES_ROOT, "CLSID\\%s\\InprocServer32", "ThreadingModel", "Apartment", nullptr},
        {HKEY_LOCAL_MACHINE, "Software\\Ombrisk\\Dravelle\\plugins\\%s", nullptr, kFriendlyName, nullptr},
        {HKEY_LOCAL_MACHINE, "Software\\Ombrisk\\Dravelle\\plugins\\%s\\Langs", nullptr, nullptr, nullptr},
    };
    for (const KeyRow& row : rows) WriteRow(row, clsid);
    return SUCCEEDED(RegisterCategory()) ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    char clsid[40];
    if (!ClassIdText(clsid, sizeof(clsid))) return S_OK;
    char key[MAX_PATH];
    ::wsprintfA(key, "CLSID\\%s", clsid);
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, key);
    return S_OK;
}
