#include "tests/ui/CHostKeyOverride.h"
#include <vector>
#include "base/Unique.h"
#include "ui/IDvlHost.h"

std::wstring CHostKeyOverride::KeyPath() {
    WCHAR id[40] = L"";
    StringFromGUID2(CLSID_DravelleHost, id, 40);
    return std::wstring(L"CLSID\\") + id + L"\\InprocServer32";
}

CHostKeyOverride::CHostKeyOverride(const std::wstring& programPath) {
    mx::unique_hkey key;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, KeyPath().c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    std::vector<WCHAR> value(2048);
    DWORD bytes = static_cast<DWORD>((value.size() - 1) * sizeof(WCHAR));
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        m_hadValue = true;
        m_previous = value.data();
    }
    if (programPath.empty()) {
        LONG rc = RegDeleteValueW(key.get(), nullptr);
        m_applied = rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    } else {
        m_applied = RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(programPath.c_str()),
                                   static_cast<DWORD>((programPath.size() + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
    }
}

CHostKeyOverride::~CHostKeyOverride() {
    mx::unique_hkey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, KeyPath().c_str(), 0, KEY_WRITE, key.put()) != ERROR_SUCCESS) return;
    if (m_hadValue)
        RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_previous.c_str()),
                       static_cast<DWORD>((m_previous.size() + 1) * sizeof(WCHAR)));
    else
        RegDeleteValueW(key.get(), nullptr);
}
