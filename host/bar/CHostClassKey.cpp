#include "host/bar/CHostClassKey.h"
#include "base/Unique.h"
#include "host/bar/CGuidText.h"
#include "ui/IDvlHost.h"

std::wstring CHostClassKey::KeyPath() {
    return L"CLSID\\" + CGuidText::Format(CLSID_DravelleHost);
}

namespace {

LONG SetDefault(HKEY root, const std::wstring& path, const std::wstring& value) {
    mx::unique_hkey key;
    LONG rc = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

}  // namespace

HRESULT CHostClassKey::WriteUnder(HKEY root, const std::wstring& prefix,
                                  const std::wstring& path) {
    LONG rc = SetDefault(root, prefix + KeyPath(), kFriendlyName);
    if (rc == ERROR_SUCCESS) rc = SetDefault(root, prefix + KeyPath() + L"\\InprocServer32", path);
    return HRESULT_FROM_WIN32(rc);
}

HRESULT CHostClassKey::Register(const std::wstring& programPath) {
    if (RegisteredPath() == programPath) return S_OK;
    HRESULT hr = WriteUnder(HKEY_CLASSES_ROOT, L"", programPath);
    if (FAILED(hr)) hr = WriteUnder(HKEY_CURRENT_USER, L"Software\\Classes\\", programPath);
    return hr;
}

std::wstring CHostClassKey::RegisteredPath() {
    std::wstring key = KeyPath() + L"\\InprocServer32";
    WCHAR value[1024] = L"";
    DWORD size = sizeof(value) - sizeof(WCHAR);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return std::wstring();
    return value;
}
