// The button's icon as the bar gets it drawn: icon locations in the shell's
// syntax, relative locations, the shell's icon overrides, the icon cache and
// PNG locations, checked in the pixels of a DIB section.
#include <gtest/gtest.h>
#include <string>
#include <wrl/client.h>
#include "base/Unique.h"
#include "tests/plugin/TestHost.h"
#include "tests/plugin/TestSupport.h"
#include "tests/support/CTempFolder.h"
#include "ui/IDvlButton.h"

using Microsoft::WRL::ComPtr;

namespace {

const COLORREF kGrey = RGB(128, 128, 128);
const wchar_t kShellIcons[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";

std::wstring Parent(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

class Icons : public ::testing::Test {
protected:
    void SetUp() override {
        button = Adopt(PluginDll::Get().CreateButton());
        ASSERT_TRUE(button);
        host.iconOffset = {2, 3};
        ASSERT_EQ(S_OK, button->SetSite(host.Site()));
    }

    // Draws into a fresh 64 x 64 grey DIB with the rectangle at (8, 8); the
    // icon lands at (10, 11).
    std::unique_ptr<CDibCanvas> Draw(DWORD size) {
        host.iconSize = size;
        auto dib = std::make_unique<CDibCanvas>(64, 64, PixelOf(kGrey));
        RECT rect = {8, 8, 56, 56};
        EXPECT_EQ(S_OK, button->DrawButtonIcon(dib->dc(), &rect, 0));
        return dib;
    }

    // The icon square is all colour and nothing outside it changed.
    void ExpectSquare(const CDibCanvas& dib, int size, COLORREF colour) {
        RECT square = {10, 11, 10 + size, 11 + size};
        EXPECT_EQ(0, dib.CountOther(square, colour, kNear)) << "inside: " << Describe(dib.Colour(10 + size / 2, 11 + size / 2));
        EXPECT_EQ(0, dib.CountOther({0, 0, 64, 11}, kGrey, kNear));
        EXPECT_EQ(0, dib.CountOther({0, 0, 10, 64}, kGrey, kNear));
        EXPECT_EQ(0, dib.CountOther({10 + size, 0, 64, 64}, kGrey, kNear));
        EXPECT_EQ(0, dib.CountOther({0, 11 + size, 64, 64}, kGrey, kNear));
    }

    void Expect(const std::wstring& location, DWORD size, COLORREF colour) {
        SCOPED_TRACE(std::string(location.begin(), location.end()));
        ASSERT_EQ(S_OK, button->SetIconLocation(location.c_str()));
        ExpectSquare(*Draw(size), static_cast<int>(size), colour);
    }

    ComApartment com;
    TestHost host;
    ComPtr<IDvlButton> button;
};

}  // namespace

TEST_F(Icons, LibraryLocationsPickTheGroupByIndexOrId) {
    Expect(IconDllPath(), 16, kRed);              // no index: the first group
    Expect(IconDllPath() + L",1", 16, kGreen);    // the second group
    Expect(IconDllPath() + L", 4", 24, kMagenta);
    Expect(IconDllPath() + L",-3", 32, kBlue);    // negative: the group with id 3
    Expect(FixturePath(L"flat-yellow.ico"), 16, kYellow);
}

TEST_F(Icons, RelativeLocationsResolveAgainstTheBaseFolder) {
    std::wstring testsFolder = Parent(Parent(IconDllPath()));
    host.baseFolder = testsFolder;
    host.Clear();
    Expect(L"plugin\\mxtesticons.dll,3", 16, kYellow);
    auto asked = host.Requests(DVLREQ_BASEFOLDER);
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(0u, asked[0].arg);
    EXPECT_NE(nullptr, asked[0].ptr);

    host.baseFolder = testsFolder + L"\\";
    Expect(L"plugin\\mxtesticons.dll,2", 16, kBlue);
    Expect(L"plugin\\fixtures\\flat-green.ico", 16, kGreen);
}

TEST_F(Icons, PathsWithCommasAndVariables) {
    const mxtest::CTempFolder folder(L"mx,icons ");
    const std::wstring file = folder.File(L"flat-red.ico");
    ASSERT_TRUE(::CopyFileW(FixturePath(L"flat-red.ico").c_str(), file.c_str(), FALSE));
    // The comma inside the folder name is no index separator.
    Expect(file, 16, kRed);
    Expect(file + L",0", 16, kRed);

    ASSERT_TRUE(::SetEnvironmentVariableW(L"MX_TEST_ICONS", Parent(FixturePath(L"x")).c_str()));
    Expect(L"%MX_TEST_ICONS%\\flat-green.ico", 16, kGreen);
}

TEST_F(Icons, TheCachedSizeIsNotLoadedAgain) {
    const mxtest::CTempFolder folder(L"mx-cache");
    const std::wstring file = folder.File(L"cached.ico");
    ASSERT_TRUE(::CopyFileW(FixturePath(L"sized.ico").c_str(), file.c_str(), FALSE));
    Expect(file, 16, kRed);  // the 16-pixel picture of sized.ico

    // The file changes; at the cached size the cached icon is drawn.
    ASSERT_TRUE(::CopyFileW(FixturePath(L"flat-green.ico").c_str(), file.c_str(), FALSE));
    ExpectSquare(*Draw(16), 16, kRed);
    // Another size loads again, from the changed file.
    ExpectSquare(*Draw(32), 32, kGreen);
    ExpectSquare(*Draw(16), 16, kGreen);
}

TEST_F(Icons, PngLocationsAreDrawnWithTheirAlpha) {
    // Replaces an icon location: the cached icon does not stick.
    Expect(IconDllPath() + L",0", 16, kRed);
    ASSERT_EQ(S_OK, button->SetIconLocation(FixturePath(L"half-cyan.png").c_str()));
    auto dib = Draw(16);
    EXPECT_EQ(0, dib->CountOther({10, 11, 26, 19}, kCyan, kNear)) << Describe(dib->Colour(12, 12));
    EXPECT_EQ(0, dib->CountOther({10, 19, 26, 27}, kGrey, kNear)) << Describe(dib->Colour(12, 22));
    EXPECT_EQ(0, dib->CountOther({26, 0, 64, 64}, kGrey, kNear));

    // Stretched to the icon size.
    dib = Draw(32);
    EXPECT_EQ(0, dib->CountOther({10, 11, 42, 26}, kCyan, kNear)) << Describe(dib->Colour(12, 20));
    EXPECT_EQ(0, dib->CountOther({10, 28, 42, 43}, kGrey, kNear)) << Describe(dib->Colour(12, 35));
    EXPECT_EQ(0, dib->CountOther({42, 0, 64, 64}, kGrey, kNear));

    // Relative, with the extension in capitals.
    host.baseFolder = Parent(Parent(IconDllPath()));
    ASSERT_EQ(S_OK, button->SetIconLocation(L"plugin\\fixtures\\HALF-CYAN.PNG"));
    dib = Draw(16);
    EXPECT_EQ(0, dib->CountOther({10, 11, 26, 19}, kCyan, kNear)) << Describe(dib->Colour(12, 12));
}

TEST_F(Icons, NothingIsDrawnWhenTheBarSaysSoOrNothingLoads) {
    ASSERT_EQ(S_OK, button->SetIconLocation((IconDllPath() + L",1").c_str()));
    host.iconFlags = 0x20000;
    host.Clear();
    auto dib = Draw(16);
    EXPECT_EQ(0, dib->CountOther({0, 0, 64, 64}, kGrey, kNear));
    EXPECT_TRUE(host.Slot(3).empty());  // stopped before asking the size
    host.iconFlags = 0;
    ExpectSquare(*Draw(16), 16, kGreen);
}

TEST_F(Icons, ALocationThatLoadsNothingDrawsThePluginsIcon) {
    // What the library's own icon 117 looks like at 24 pixels, drawn at (10, 11).
    mx::unique_hicon own(static_cast<HICON>(::LoadImageW(PluginDll::Get().module(), MAKEINTRESOURCEW(117),
                                                         IMAGE_ICON, 24, 24, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(own);
    CDibCanvas expected(64, 64, PixelOf(kGrey));
    ASSERT_TRUE(::DrawIconEx(expected.dc(), 10, 11, own.get(), 24, 24, 0, nullptr, DI_NORMAL));

    for (const wchar_t* location : {L"C:\\no such folder\\none.ico,2", L""}) {
        SCOPED_TRACE(location[0] ? "missing file" : "no location");
        ASSERT_EQ(S_OK, button->SetIconLocation(location));
        auto dib = Draw(24);
        int different = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) different += !Near(dib->Colour(x, y), expected.Colour(x, y), 2);
        EXPECT_EQ(0, different);
        EXPECT_GT(dib->CountOther({10, 11, 34, 35}, kGrey, kNear), 24 * 24 / 4);
        EXPECT_EQ(0, dib->CountOther({34, 0, 64, 64}, kGrey, kNear));
    }
    // A location that loads again replaces the stand-in.
    Expect(IconDllPath() + L",1", 24, kGreen);
}

TEST_F(Icons, LongLocationsAreCutToTheBarsBuffer) {
    std::wstring location(400, L'a');
    ASSERT_EQ(S_OK, button->SetIconLocation(location.c_str()));
    WCHAR buffer[MAX_PATH + 8];
    std::fill(std::begin(buffer), std::end(buffer), L'#');
    ASSERT_EQ(S_OK, button->GetIconLocation(buffer));
    EXPECT_EQ(259, lstrlenW(buffer));
    EXPECT_EQ(L'#', buffer[MAX_PATH]);
    ASSERT_EQ(S_OK, button->SetIconLocation(nullptr));
    ASSERT_EQ(S_OK, button->GetIconLocation(buffer));  // no location: nothing written
    EXPECT_EQ(259, lstrlenW(buffer));
}

TEST_F(Icons, ShellIconOverridesReplaceShell32Icons) {
    mx::unique_hkey key;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kShellIcons, 0, nullptr, 0,
                                               KEY_READ | KEY_WRITE, nullptr, key.put(), &disposition));
    auto set = [&](const wchar_t* name, DWORD type, const std::wstring& value) {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.get(), name, 0, type,
                                                  reinterpret_cast<const BYTE*>(value.c_str()),
                                                  static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR))));
    };
    set(L"7", REG_SZ, IconDllPath() + L",2");
    set(L"8", REG_EXPAND_SZ, L"%MX_TEST_ICONS%\\flat-magenta.ico");
    set(L"1", REG_SZ, FixturePath(L"flat-magenta.ico"));
    set(L"9", REG_SZ, L"C:\\no such folder\\none.ico");
    ::SetEnvironmentVariableW(L"MX_TEST_ICONS", Parent(FixturePath(L"x")).c_str());

    Expect(L"C:\\windows\\system32\\shell32.dll,7", 16, kBlue);
    Expect(L"C:\\WINDOWS\\System32\\SHELL32.DLL,8", 16, kMagenta);
    // Only shell32's icons are replaced.
    Expect(IconDllPath() + L",1", 16, kGreen);
    // An override naming no file leaves shell32's own icon.
    ASSERT_EQ(S_OK, button->SetIconLocation(L"C:\\windows\\system32\\shell32.dll,9"));
    auto dib = Draw(16);
    EXPECT_GT(dib->CountOther({10, 11, 26, 27}, kGrey, kNear), 0);

    for (const wchar_t* name : {L"7", L"8", L"1", L"9"}) ::RegDeleteValueW(key.get(), name);
    key.reset();
    if (disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kShellIcons);
}
