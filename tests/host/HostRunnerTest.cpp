// The bar's driving order and its answers, seen from a registered test plug-in.
#include <gtest/gtest.h>
#include <algorithm>
#include <windows.h>
#include <commctrl.h>
#include "CFakePlugin.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/TestFiles.h"
#include "host/bar/CButtonRunner.h"
#include "host/bar/CGuidText.h"
#include "host/bar/CHostClassKey.h"
#include "host/bar/CMenuWalker.h"
#include "host/bar/CPluginLocator.h"
#include "host/bar/CTextOut.h"

using mxtest::CTempFolder;
using mxtest::FileExists;
using mxtest::ReadFileBytes;

namespace {

HostOptions FakeOptions(const CTempFolder& folder) {
    HostOptions options;
    options.hasClsid = true;
    options.clsid = CLSID_FakeButton;
    options.settingsPath = folder.File(L"fake.settings");
    return options;
}

size_t IndexOf(const std::vector<std::wstring>& log, const std::wstring& line) {
    auto it = std::find(log.begin(), log.end(), line);
    return it == log.end() ? static_cast<size_t>(-1) : static_cast<size_t>(it - log.begin());
}

bool Contains(const std::vector<std::wstring>& log, const std::wstring& line) {
    return IndexOf(log, line) != static_cast<size_t>(-1);
}

size_t CountPrefix(const std::vector<std::wstring>& log, const std::wstring& prefix) {
    return std::count_if(log.begin(), log.end(),
                         [&](const std::wstring& l) { return l.compare(0, prefix.size(), prefix) == 0; });
}

std::wstring ProgramFolder() {
    return CButtonRunner::FolderOf(CButtonRunner::ProgramPath());
}

class HostRunner : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fake.Registered()); }
    CFakePlugin fake;
    CTempFolder folder;
};

}  // namespace

TEST_F(HostRunner, DrivesTheButtonInTheContractsOrder) {
    fake.Reset(0, 0, false);
    HostOptions options = FakeOptions(folder);
    options.iconSize = 24;
    options.textStyle = RGB(1, 2, 3);
    {
        CButtonRunner runner(options);
        ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
        EXPECT_EQ(S_OK, runner.Stop());
    }
    std::vector<std::wstring> log = fake.Log();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    std::vector<std::wstring> expected = {
        L"SetSite",
        std::wstring(L"SetClassId ") + kFakeButtonText,
        std::wstring(L"SetName ") + kFakeFriendlyName,
        L"SetLanguage 1033 null",
        L"LoadSettings 0",
        std::wstring(L"metrics 0x00000000 icon=24 font=") + metrics.lfMenuFont.lfFaceName,
        L"base 0x00000000 " + ProgramFolder(),
        L"iconflags 0x00000000 0",
        L"textstyle 0x00000000 0x00030201",
        CTextOut::Format(L"entry 0x00000000 3,2,3,2,77,77 0x%08lX",
                         static_cast<unsigned long>(GetSysColor(COLOR_MENUTEXT))),
        L"CreateUpdateEvent",
        L"SaveSettings",
        L"CloseUpdateEvent ours",
        L"destroyed",
    };
    EXPECT_EQ(expected, log);
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST_F(HostRunner, IconLocationIsSetOnlyWhenGivenAndItsNoticesAreCounted) {
    fake.Reset(0, 0, false);
    HostOptions options = FakeOptions(folder);
    options.hasIconLocation = true;
    options.iconLocation = L"shell32.dll,3";
    CButtonRunner runner(options);
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    std::vector<std::wstring> log = fake.Log();
    size_t language = IndexOf(log, L"SetLanguage 1033 null");
    size_t icon = IndexOf(log, L"SetIconLocation shell32.dll,3");
    size_t load = IndexOf(log, L"LoadSettings 0");
    ASSERT_NE(static_cast<size_t>(-1), icon);
    EXPECT_LT(language, icon);
    EXPECT_LT(icon, load);
    EXPECT_EQ(1, runner.Site()->NotifyCount());
    EXPECT_EQ(1, runner.Site()->RefreshCount(DVLREFRESH_INVALIDATE));
    EXPECT_EQ(0, runner.Site()->RefreshCount(DVLREFRESH_1));
    runner.Stop();
}

TEST_F(HostRunner, SettingsSurviveTwoRunsByteForByte) {
    HostOptions options = FakeOptions(folder);
    options.settingsPath = folder.File(L"nested\\deeper\\fake.settings");
    {
        CButtonRunner runner(options);
        ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
        EXPECT_TRUE(fake.Loaded().empty());
        ASSERT_EQ(S_OK, runner.Stop());
    }
    const std::vector<BYTE> first = ReadFileBytes(options.settingsPath);
    EXPECT_EQ((std::vector<BYTE>{0x00, 0xFF, 0x1A, 0x0D, 0x0A, 0x00}), first);
    {
        CButtonRunner runner(options);
        ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
        EXPECT_EQ(first, fake.Loaded());
        ASSERT_EQ(S_OK, runner.Stop());
    }
    const std::vector<BYTE> second = ReadFileBytes(options.settingsPath);
    std::vector<BYTE> expected = first;
    expected.insert(expected.end(), {0x00, 0xFF, 0x1A, 0x0D, 0x0A, 0x06});
    EXPECT_EQ(expected, second);
    EXPECT_FALSE(FileExists(options.settingsPath + L".tmp"));

    // A button that fails its save leaves the previous settings as they were.
    fake.Reset(0, 0, true);
    {
        CButtonRunner runner(options);
        ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
        EXPECT_EQ(second, fake.Loaded());
        EXPECT_TRUE(FAILED(runner.Stop()));
    }
    EXPECT_EQ(second, ReadFileBytes(options.settingsPath));

    // --no-save keeps the file too.
    fake.Reset(0, 0, false);
    options.noSave = true;
    {
        CButtonRunner runner(options);
        ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
        EXPECT_EQ(S_FALSE, runner.Stop());
    }
    EXPECT_EQ(second, ReadFileBytes(options.settingsPath));
}

TEST_F(HostRunner, UnreadableSettingsStartEmptyAndAreNotOverwritten) {
    HostOptions options = FakeOptions(folder);
    // A folder where the file should be: it cannot be read, and must not be replaced.
    options.settingsPath = folder.File(L"blocked.settings");
    ASSERT_TRUE(CreateDirectoryW(options.settingsPath.c_str(), nullptr));
    CreateDirectoryW((options.settingsPath + L"\\inside").c_str(), nullptr);
    CButtonRunner runner(options);
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    EXPECT_TRUE(Contains(fake.Log(), L"LoadSettings 0"));
    EXPECT_EQ(S_FALSE, runner.Stop());
    EXPECT_FALSE(Contains(fake.Log(), L"SaveSettings"));
    EXPECT_TRUE(FileExists(options.settingsPath + L"\\inside"));
}

TEST_F(HostRunner, HotKeyRequestRegistersAndDeliversTheHotKey) {
    WORD hotkey = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);
    fake.Reset(hotkey, 0, false);
    CButtonRunner runner(FakeOptions(folder));
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    EXPECT_TRUE(Contains(fake.Log(), L"hotkey 0x064B 0x00000000"));
    EXPECT_EQ(hotkey, runner.Site()->HotKeys().Get(1));

    // The system holds the key for the bar: nobody else gets the same combination.
    HWND other = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    EXPECT_FALSE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'K'));

    PostMessageW(runner.Bar().Handle(), WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'K'));
    runner.Pump();
    EXPECT_TRUE(Contains(fake.Log(), L"OnHotKey 1"));
    EXPECT_EQ(1, runner.Site()->ActivateMenuCount());

    // Hotkey 0 gives the key back to the system.
    EXPECT_EQ(S_OK, runner.Site()->Request(DVLREQ_SETHOTKEY, 0, reinterpret_cast<void*>(1)));
    EXPECT_EQ(0, runner.Site()->HotKeys().Get(1));
    EXPECT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'K'));
    UnregisterHotKey(other, 7);
    // Modifiers without a key, and ids the system reserves, are refused.
    EXPECT_EQ(E_INVALIDARG, runner.Site()->Request(DVLREQ_SETHOTKEY, 0x0600, reinterpret_cast<void*>(2)));
    EXPECT_EQ(E_INVALIDARG, runner.Site()->Request(DVLREQ_SETHOTKEY, hotkey, reinterpret_cast<void*>(0xC000)));
    EXPECT_TRUE(runner.Site()->HotKeys().All().empty());
    DestroyWindow(other);
    runner.Stop();
}

TEST_F(HostRunner, AnswersMetricsOffsetsAndUnknownRequests) {
    HostOptions options = FakeOptions(folder);
    options.iconSize = 32;
    CButtonRunner runner(options);
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    CDvlHostSite* site = runner.Site();
    DVLMETRICS metrics{};
    memset(&metrics, 0xAB, sizeof(metrics));
    metrics.cbSize = 16;
    EXPECT_EQ(E_INVALIDARG, site->GetMetrics(&metrics));
    EXPECT_EQ(0xABABABABu, metrics.iconSize);
    metrics.cbSize = sizeof(metrics);
    EXPECT_EQ(S_OK, site->GetMetrics(&metrics));
    EXPECT_EQ(32u, metrics.iconSize);
    EXPECT_EQ(0u, metrics.value4);
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(metrics.menuFont));

    POINT offset;
    RECT wide = {10, 10, 58, 50};
    EXPECT_EQ(S_OK, site->GetIconOffset(&offset, &wide, 0));
    EXPECT_EQ(8, offset.x);
    EXPECT_EQ(4, offset.y);
    RECT small = {0, 0, 16, 16};
    EXPECT_EQ(S_OK, site->GetIconOffset(&offset, &small, 0));
    EXPECT_EQ(0, offset.x);
    EXPECT_EQ(0, offset.y);

    WCHAR folderText[MAX_PATH];
    EXPECT_EQ(S_OK, site->Request(DVLREQ_BASEFOLDER, 0, folderText));
    EXPECT_EQ(ProgramFolder(), folderText);
    DWORD value = 5;
    EXPECT_EQ(E_NOTIMPL, site->Request(DVLREQ_QUERY3, 0, &value));
    EXPECT_EQ(5u, value);
    EXPECT_EQ(E_POINTER, site->Request(DVLREQ_TEXTSTYLE, 0, nullptr));
    EXPECT_EQ(runner.Bar().Handle(), site->GetBarWindow());
    runner.Stop();
}

TEST_F(HostRunner, MenuWalkEndsAtTheFirstSFalse) {
    fake.Reset(0, 0, false);
    CButtonRunner runner(FakeOptions(folder));
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    CMenuWalker walker(runner.Button());
    EXPECT_EQ(S_OK, walker.Walk());
    EXPECT_TRUE(walker.Children().empty());
    std::vector<std::wstring> log = fake.Log();
    EXPECT_TRUE(Contains(log, L"GetChildFirst end"));
    EXPECT_EQ(0u, CountPrefix(log, L"GetChildNext"));
    EXPECT_EQ(0u, CountPrefix(log, L"CreateChildButton"));
    ASSERT_EQ(1u, walker.Keys().size());
    EXPECT_EQ(1u, walker.Keys()[0].id);
    EXPECT_EQ(L"Newest first", walker.Keys()[0].name);
    runner.Stop();
}

TEST_F(HostRunner, MenuWalkMakesSortsAndReleasesEveryChild) {
    fake.Reset(0, 3, false);
    CButtonRunner runner(FakeOptions(folder));
    ASSERT_EQ(S_OK, runner.Start()) << runner.Error();
    LONG rootOnly = fake.LiveObjects();
    {
        CMenuWalker walker(runner.Button());
        ASSERT_EQ(S_OK, walker.Walk());
        ASSERT_EQ(3u, walker.Children().size());
        // Enumerated 1, 2, 3; the button's order is newest first.
        EXPECT_EQ(L"fake:3", walker.Children()[0].id);
        EXPECT_EQ(L"fake:2", walker.Children()[1].id);
        EXPECT_EQ(L"fake:1", walker.Children()[2].id);
        std::vector<std::wstring> log = fake.Log();
        EXPECT_EQ(3u, CountPrefix(log, L"CreateChildButton"));
        EXPECT_EQ(3u, CountPrefix(log, L"ReleaseChild"));
        EXPECT_EQ(1u, CountPrefix(log, L"GetChildNext end"));
        // Each child holds its item; the enumeration's references are back.
        EXPECT_EQ(rootOnly + 6, fake.LiveObjects());
    }
    EXPECT_EQ(rootOnly, fake.LiveObjects());
    runner.Stop();
    EXPECT_EQ(0, fake.LiveObjects());
}

TEST_F(HostRunner, RegistersItsClassKeyAndFindsPlugInsOfTheCategory) {
    HostOptions options = FakeOptions(folder);
    options.hasClsid = false;
    std::wstring plugins = CPluginLocator::kPluginsKey;
    // Keys that are not button classes of the category come first and are passed over.
    std::wstring junk = plugins + L"\\!not-a-class";
    std::wstring stranger = plugins + L"\\{00000000-0000-0000-0000-000000000001}";
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, junk.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, stranger.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    RegCloseKey(key);
    std::vector<CLSID> candidates = CPluginLocator::Candidates();
    CLSID found{};
    bool inCategory = false;
    HRESULT hr = CPluginLocator::Find(found, inCategory);
    HRESULT started;
    {
        CButtonRunner runner(options);
        started = runner.Start();
        runner.Stop();
    }
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, junk.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, stranger.c_str());

    EXPECT_EQ(S_OK, hr);
    EXPECT_TRUE(inCategory);
    EXPECT_TRUE(IsEqualCLSID(CLSID_FakeButton, found));
    ASSERT_GE(candidates.size(), 2u);
    GUID strangerId;
    ASSERT_TRUE(CGuidText::Parse(L"{00000000-0000-0000-0000-000000000001}", strangerId));
    EXPECT_TRUE(IsEqualGUID(strangerId, candidates[0]));
    EXPECT_EQ(S_OK, started);
    EXPECT_TRUE(Contains(fake.Log(), std::wstring(L"SetClassId ") + kFakeButtonText));
    // The plug-in reads the bar's program back through HKEY_CLASSES_ROOT.
    EXPECT_EQ(CButtonRunner::ProgramPath(), CHostClassKey::RegisteredPath());
    EXPECT_EQ(L"CLSID\\{8046C1C5-F247-43FC-BDAC-802719E00DED}", CHostClassKey::KeyPath());
}

TEST(GuidText, AcceptsOnlyTheBracedForm) {
    GUID id;
    EXPECT_TRUE(CGuidText::Parse(kFakeButtonText, id));
    EXPECT_TRUE(IsEqualGUID(CLSID_FakeButton, id));
    EXPECT_EQ(kFakeButtonText, CGuidText::Format(id));
    EXPECT_FALSE(CGuidText::Parse(L"0A5E0A82-5ACF-4B6E-B873-DDF7C7CCD446", id));
    EXPECT_FALSE(CGuidText::Parse(L"{0A5E0A82-5ACF-4B6E-B873-DDF7C7CCD44G}", id));
    EXPECT_FALSE(CGuidText::Parse(L"{0A5E0A82+5ACF-4B6E-B873-DDF7C7CCD446}", id));
    EXPECT_FALSE(CGuidText::Parse(L"Shell.Application", id));
}
