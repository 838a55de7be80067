#include "host/bar/CPluginLocator.h"
#include <comcat.h>
#include <wrl/client.h>
#include "base/Unique.h"
#include "host/bar/CGuidText.h"
#include "ui/IDvlHost.h"

std::vector<CLSID> CPluginLocator::Candidates() {
    std::vector<CLSID> found;
    mx::unique_hkey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPluginsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return found;
    for (DWORD index = 0;; ++index) {
        WCHAR name[256];
        DWORD length = 256;
        LONG rc = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        CLSID clsid;
        if (CGuidText::Parse(name, clsid)) found.push_back(clsid);
    }
    return found;
}

bool CPluginLocator::ImplementsButtonCategory(const CLSID& clsid) {
    Microsoft::WRL::ComPtr<ICatInformation> categories;
    if (FAILED(CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&categories))))
        return false;
    CATID wanted = CATID_DravelleButtons;
    // No required categories: a count of 0 rather than the documented (ULONG)-1,
    // which Wine reads as a count.
    return categories->IsClassOfCategories(clsid, 1, &wanted, 0, &wanted) == S_OK;
}

HRESULT CPluginLocator::Find(CLSID& clsid, bool& inCategory) {
    std::vector<CLSID> candidates = Candidates();
    if (candidates.empty()) return REGDB_E_CLASSNOTREG;
    for (const CLSID& candidate : candidates) {
        if (ImplementsButtonCategory(candidate)) {
            clsid = candidate;
            inCategory = true;
            return S_OK;
        }
    }
    clsid = candidates.front();
    inCategory = false;
    return S_OK;
}

std::wstring CPluginLocator::FriendlyName(const CLSID& clsid) {
    std::wstring path = std::wstring(kPluginsKey) + L"\\" + CGuidText::Format(clsid);
    WCHAR value[MAX_PATH] = L"";
    DWORD size = sizeof(value) - sizeof(WCHAR);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return std::wstring();
    value[MAX_PATH - 1] = L'\0';
    return value;
}
