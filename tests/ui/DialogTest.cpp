// The properties and save dialogs as a person meets them: opened by the root
// button's Properties command, by the bar's EditProperties and by a history
// entry's Save..., on the documents in this program's resources, and played
// by CDialogPlayer from a thread of its own.
#include <gtest/gtest.h>
#include <utility>
#include <vector>
#include "base/CPluginStream.h"
#include "base/Module.h"
#include "host/CDialogPlayer.h"
#include "plugin/CPlugin.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/CRootTestHost.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"
#include "ui/CXMLPropsDlg.h"
#include "ui/IDvlButton.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kPropertiesCaption[] = L"Mirabex Properties";
const WORD kOpenMenuKey = 0x0241;  // Ctrl + A
const WORD kSwapKey = 0x0653;      // Ctrl + Alt + S
using HotKeys = std::vector<std::pair<WORD, UINT>>;

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bar.IsReady());
        plugin = bar.Root();
        button = bar.Button();
    }
    // Settings with both hotkeys and capture off.
    void LoadHotKeys() {
        CPluginStream settings;
        settings.BeginGroup(L"Settings");
        settings.WriteWord(L"HotKey", kOpenMenuKey);
        settings.WriteWord(L"HotKeySwap", kSwapKey);
        settings.WriteInt(L"Enable", 0);
        settings.EndGroup();
        ASSERT_EQ(S_OK, plugin->LoadSettings(StreamOf(settings).Get()));
        host.ClearHotKeys();
    }
    static HotKeys Off() { return {{0, 1}, {0, 2}}; }
    static HotKeys OffAndBack(WORD open, WORD swap) { return {{0, 1}, {0, 2}, {open, 1}, {swap, 2}}; }

    OleScope ole;
    CMenuTestBar bar;
    CRootTestHost& host = bar.host;
    CPlugin* plugin = nullptr;
    CClipBoardButton* button = nullptr;
};

}  // namespace

TEST_F(Dialogs, HotKeysAreOffWhileThePropertiesAreOpenAndBackAfterTheCloseBox) {
    LoadHotKeys();
    HotKeys whileOpen;
    CDialogPlayer player(kPropertiesCaption, [&](HWND dialog) {
        whileOpen = host.HotKeys();
        CDialogPlayer::Close(dialog);
    });
    EXPECT_EQ(S_FALSE, plugin->Command(DVLCMD_PROPERTIES, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ(Off(), whileOpen);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
    EXPECT_EQ(kOpenMenuKey, button->GetOpenMenuHotKey());

    // The bar's own way in: nothing accepted, nothing saved, the keys back.
    host.ClearHotKeys();
    CDialogPlayer again(kPropertiesCaption, [&](HWND dialog) { CDialogPlayer::Close(dialog); });
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    EXPECT_EQ(S_FALSE, plugin->EditProperties(stream.Get(), 0, 0));
    again.Finish();
    ASSERT_TRUE(again.Played());
    STATSTG stat{};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(0u, stat.cbSize.QuadPart);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
}

TEST_F(Dialogs, HotKeysAreBackWhenTheDocumentFailsToLoad) {
    LoadHotKeys();
    // A library without the document: nothing is shown.
    HMODULE bare = LoadLibraryW(WinePath(MX_NO_VERSION_DLL).c_str());
    ASSERT_NE(nullptr, bare);
    HINSTANCE own = GetModuleInstance();
    SetModuleInstance(bare);
    HRESULT hr = plugin->Command(DVLCMD_PROPERTIES, 0, 0);
    SetModuleInstance(own);
    FreeLibrary(bare);
    EXPECT_EQ(S_FALSE, hr);
    EXPECT_EQ(OffAndBack(kOpenMenuKey, kSwapKey), host.HotKeys());
}

TEST_F(Dialogs, VersionTextFromTheVersionBlock) {
    EXPECT_EQ(L"2.3", CXMLPropsDlg::VersionText(GetModuleHandleW(nullptr)));
    HMODULE patched = LoadLibraryW(WinePath(MX_VERSION_2301_DLL).c_str());
    ASSERT_NE(nullptr, patched);
    EXPECT_EQ(L"2.3.0.1", CXMLPropsDlg::VersionText(patched));
    FreeLibrary(patched);
    HMODULE bare = LoadLibraryW(WinePath(MX_NO_VERSION_DLL).c_str());
    ASSERT_NE(nullptr, bare);
    EXPECT_EQ(L"0.0.0.0", CXMLPropsDlg::VersionText(bare));
    FreeLibrary(bare);
    const WORD two[4] = {2, 0, 0, 0};
    EXPECT_EQ(L"2.0", CXMLPropsDlg::VersionText(two));
}
