// Self-registration in the test prefix's registry: what DllRegisterServer
// writes, creation through the registry, what unregistering leaves, and
// the same through regsvr32.
#include <gtest/gtest.h>
#include <comcat.h>
#include <shlwapi.h>
#include <string>
#include <wrl/client.h>
#include "base/Unique.h"
#include "plugin/Guids.h"
#include "tests/plugin/TestSupport.h"
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"

using Microsoft::WRL::ComPtr;

namespace {

std::string ClassText() {
    WCHAR wide[40];
    ::StringFromGUID2(CLSID_Mirabex, wide, 40);
    return std::string(wide, wide + lstrlenW(wide));
}

std::string ClassKey() { return "CLSID\\" + ClassText(); }
std::string PluginKey() { return "Software\\Ombrisk\\Dravelle\\plugins\\" + ClassText(); }

bool KeyExists(HKEY root, const std::string& path) {
    mx::unique_hkey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

// The value as 8-bit text, with its type and stored size; "<missing>" if absent.
std::string Value(HKEY root, const std::string& path, const char* name, DWORD* type = nullptr,
                  DWORD* size = nullptr) {
    mx::unique_hkey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return "<missing>";
    char data[1024] = {};
    DWORD bytes = sizeof(data) - 1;
    DWORD kind = 0;
    if (::RegQueryValueExA(key.get(), name, nullptr, &kind, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS)
        return "<missing>";
    if (type) *type = kind;
    if (size) *size = bytes;
    return data;
}

void RemoveEverything() {
    ::SHDeleteKeyA(HKEY_CLASSES_ROOT, ClassKey().c_str());
    ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, PluginKey().c_str());
}

// Runs regsvr32 from the prefix on the library; its exit code.
DWORD RunRegsvr32(const std::wstring& options) {
    std::wstring command = L"regsvr32.exe " + options + L" \"" + PluginDllPath() + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFFFFFF;
    mx::unique_handle processHandle(process.hProcess), threadHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    return code;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll);
        RemoveEverything();
    }
    void TearDown() override { RemoveEverything(); }
    ComApartment com;
    PluginDll& dll = PluginDll::Get();
};

}  // namespace

TEST_F(Registration, RegisterWritesTheClassThePluginKeyAndTheCategory) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    DWORD type = 0, size = 0;
    EXPECT_EQ("Mirabex", Value(HKEY_CLASSES_ROOT, ClassKey(), nullptr, &type, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(8u, size);  // the terminator is stored

    char path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(dll.module(), path, MAX_PATH), 0u);
    EXPECT_EQ(0, lstrcmpiA(path, Value(HKEY_CLASSES_ROOT, ClassKey() + "\\InprocServer32", nullptr).c_str()));
    EXPECT_EQ("Apartment", Value(HKEY_CLASSES_ROOT, ClassKey() + "\\InprocServer32", "ThreadingModel", &type));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ("Mirabex", Value(HKEY_LOCAL_MACHINE, PluginKey(), nullptr));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey() + "\\Langs"));
    EXPECT_EQ("<missing>", Value(HKEY_LOCAL_MACHINE, PluginKey() + "\\Langs", nullptr));

    // The bar finds its buttons through the category.
    ComPtr<ICatInformation> categories;
    ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&categories)));
    CATID category = CATID_DravelleButtons;
    EXPECT_EQ(S_OK, categories->IsClassOfCategories(CLSID_Mirabex, 1, &category, 0, &category));

    // Registering again over existing keys succeeds the same way.
    EXPECT_EQ(S_OK, dll.RegisterServer());
    EXPECT_EQ("Mirabex", Value(HKEY_CLASSES_ROOT, ClassKey(), nullptr));
}

TEST_F(Registration, CreatedThroughTheRegistry) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    ComPtr<IDvlButton> button;
    ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_Mirabex, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&button)));
    ASSERT_EQ(S_OK, button->SetName(L"registered"));
    DVLBUTTONINFO info = {};
    info.mask = DVLINFO_TEXT;
    ASSERT_EQ(S_OK, button->GetInfo(&info));
    EXPECT_STREQ(L"registered", info.text);
    button.Reset();

    ASSERT_EQ(S_OK, dll.UnregisterServer());
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              ::CoCreateInstance(CLSID_Mirabex, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&button)));
}

TEST_F(Registration, UnregisterRemovesTheClassTreeAndKeepsThePluginKey) {
    ASSERT_EQ(S_OK, dll.RegisterServer());
    ASSERT_EQ(S_OK, dll.UnregisterServer());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey() + "\\InprocServer32"));
    EXPECT_EQ("Mirabex", Value(HKEY_LOCAL_MACHINE, PluginKey(), nullptr));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, PluginKey() + "\\Langs"));
    // Nothing left to remove is no failure.
    EXPECT_EQ(S_OK, dll.UnregisterServer());
}

TEST_F(Registration, Regsvr32RegistersAndUnregisters) {
    ASSERT_EQ(0u, RunRegsvr32(L"/s"));
    EXPECT_EQ("Mirabex", Value(HKEY_CLASSES_ROOT, ClassKey(), nullptr));
    EXPECT_EQ("Apartment", Value(HKEY_CLASSES_ROOT, ClassKey() + "\\InprocServer32", "ThreadingModel"));
    std::string path = Value(HKEY_CLASSES_ROOT, ClassKey() + "\\InprocServer32", nullptr);
    EXPECT_TRUE(StrStrIA(path.c_str(), "mirabex.dll") != nullptr) << path;

    ASSERT_EQ(0u, RunRegsvr32(L"/u /s"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClassKey()));
    EXPECT_EQ("Mirabex", Value(HKEY_LOCAL_MACHINE, PluginKey(), nullptr));
}
