// mirabex.dll as the bar meets it: loaded with LoadLibrary, driven through
// its exported entry points, its factory and the IDvlButton slot table.
#include <gtest/gtest.h>
#include <cstring>
#include <wrl/client.h>
#include "host/automation/CDialogPlayer.h"
#include "image/CxImage.h"
#include "plugin/Guids.h"
#include "tests/plugin/DvlSlots.h"
#include "tests/plugin/TestHost.h"
#include "tests/plugin/TestSupport.h"
#include "ui/IDvlButton.h"

using Microsoft::WRL::ComPtr;

namespace {

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dll) << "cannot load mirabex.dll";
        ASSERT_TRUE(dll.GetClassObject && dll.CanUnloadNow && dll.RegisterServer && dll.UnregisterServer);
        ASSERT_EQ(S_OK, dll.CanUnloadNow()) << "an earlier test left an object alive";
    }
    ComApartment com;
    PluginDll& dll = PluginDll::Get();
};

const GUID kOtherClass = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};

}  // namespace

TEST_F(Server, ClassObjectOnlyForThePluginsClass) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.GetClassObject(kOtherClass, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, dll.CanUnloadNow());

    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&unknown)));
    ASSERT_TRUE(unknown);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, unknown.As(&factory));
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());  // a factory the bar keeps holds the library
    unknown.Reset();
    factory.Reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());

    EXPECT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)));
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    factory.Reset();

    // Another interface: refused, and the factory made for it is gone again.
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, dll.GetClassObject(CLSID_Mirabex, IID_IDvlButton, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, FactoryRefusesAggregationAndOtherInterfaces) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)));
    ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&outer)));
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);

    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IStream, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IDataObject, &out));
    EXPECT_EQ(nullptr, out);

    ComPtr<IClassFactory> same;
    EXPECT_EQ(S_OK, factory.As(&same));
    EXPECT_EQ(factory.Get(), same.Get());
    ComPtr<IStream> notAStream;
    EXPECT_EQ(E_NOINTERFACE, factory.As(&notAStream));
    EXPECT_FALSE(notAStream);
    same.Reset();
    outer.Reset();
    factory.Reset();
    // Nothing was created by the refused calls.
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

// Locks outlive the factory that took them; an unlock too many does not let
// the library go while a factory lives.
TEST_F(Server, LockServerKeepsTheLibraryLoadedUntilEachLockIsGivenBack) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());

    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());  // the factory itself still holds it
    factory.Reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, ButtonsKeepTheLibraryLoaded) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll.GetClassObject(CLSID_Mirabex, IID_PPV_ARGS(&factory)));
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&unknown)));
    ComPtr<IDvlButton> button;
    ASSERT_EQ(S_OK, unknown.As(&button));
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, button.As(&identity));
    EXPECT_EQ(unknown.Get(), identity.Get());
    factory.Reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    unknown.Reset();
    identity.Reset();
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    button.Reset();
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, EverySlotOfTheFactorysButton) {
    void* object = dll.CreateButton();
    ASSERT_NE(nullptr, object);
    const DvlButtonSlots* slots = ButtonSlots(object);
    TestHost host;
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));

    void* self = nullptr;
    EXPECT_EQ(S_OK, slots->QueryInterface(object, IID_IDvlButton, &self));      // 0
    EXPECT_EQ(object, self);
    EXPECT_EQ(3u, slots->AddRef(object));                                       // 1
    EXPECT_EQ(2u, slots->Release(object));                                      // 2
    EXPECT_EQ(1u, slots->Release(object));
    EXPECT_EQ(S_OK, slots->SetSite(object, host.Site()));                       // 6
    EXPECT_EQ(S_OK, slots->LoadSettings(object, stream.Get()));                 // 3
    EXPECT_EQ(S_OK, slots->SaveSettings(object, stream.Get()));                 // 4
    const GUID id = kOtherClass;
    EXPECT_EQ(S_OK, slots->SetClassId(object, &id));                            // 5
    EXPECT_EQ(S_OK, slots->SetHostFlags(object, 3));                            // 7
    EXPECT_EQ(S_FALSE, slots->Reserved9(object, 1, 2, 3));                      // 9
    EXPECT_EQ(S_FALSE, slots->Reserved10(object, 1, 2, 3));                     // 10
    EXPECT_EQ(S_FALSE, slots->Reserved11(object, 1, 2, 3));                     // 11
    // 12: the properties dialog, closed without OK: nothing is saved.
    STATSTG saved = {};
    ASSERT_EQ(S_OK, stream->Stat(&saved, STATFLAG_NONAME));
    EXPECT_GT(saved.cbSize.QuadPart, 0u);
    CDialogPlayer player(L"Mirabex Properties", [](HWND dialog) { CDialogPlayer::Close(dialog); });
    EXPECT_EQ(S_FALSE, slots->EditProperties(object, stream.Get(), 0, 0));
    player.Finish();
    EXPECT_TRUE(player.Played());
    STATSTG after = {};
    ASSERT_EQ(S_OK, stream->Stat(&after, STATFLAG_NONAME));
    EXPECT_EQ(saved.cbSize.QuadPart, after.cbSize.QuadPart);
    LARGE_INTEGER none = {};
    ULARGE_INTEGER at = {};
    ASSERT_EQ(S_OK, stream->Seek(none, STREAM_SEEK_CUR, &at));
    EXPECT_EQ(saved.cbSize.QuadPart, at.QuadPart);
    EXPECT_EQ(S_FALSE, slots->Reserved13(object, 1, 2, 3));                     // 13
    EXPECT_EQ(S_FALSE, slots->Reserved14(object, 1, 2, 3));                     // 14
    EXPECT_EQ(S_FALSE, slots->Reserved15(object, 1, 2, 3));                     // 15
    EXPECT_EQ(S_FALSE, slots->Execute(object, 1, 2, 3));                        // 16
    EXPECT_EQ(S_FALSE, slots->Command(object, DVLCMD_2, 0, 0));                 // 17
    EXPECT_EQ(S_FALSE, slots->Command(object, DVLCMD_2000, 0, 0));
    EXPECT_EQ(S_OK, slots->SetName(object, L"Slot test"));                      // 18
    mx::unique_hmenu menu(::CreatePopupMenu());
    HRESULT added = slots->AddMenuItems(object, menu.get(), 0, 100, 0);        // 19
    EXPECT_EQ(3, added);  // "Pause", "Clear Clipboard History" and "Search history..."
    EXPECT_EQ(::GetMenuItemCount(menu.get()), added);
    // 20: the root button answers true for any entry; one it did not add
    // changes nothing and tells the bar nothing.
    host.Clear();
    EXPECT_EQ(S_OK, slots->MenuCommand(object, 7, 0, 0));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(S_OK, slots->SetLanguage(object, 1033, nullptr));                 // 21

    host.Clear();
    EXPECT_EQ(S_OK, slots->SetIconLocation(object, L"C:\\nowhere\\none.ico,2")); // 23
    ASSERT_EQ(2u, host.calls.size());  // NotifyChanged, then Invalidate
    EXPECT_EQ(5, host.calls[0].slot);
    EXPECT_EQ(10, host.calls[1].slot);
    EXPECT_EQ(2u, host.calls[1].code);
    WCHAR location[MAX_PATH] = L"";
    EXPECT_EQ(S_OK, slots->GetIconLocation(object, location));                  // 22
    EXPECT_STREQ(L"C:\\nowhere\\none.ico,2", location);

    DVLBUTTONINFO info = {};
    info.mask = DVLINFO_TEXT | DVLINFO_STYLE;
    EXPECT_EQ(S_OK, slots->GetInfo(object, &info));                             // 24
    EXPECT_STREQ(L"Slot test", info.text);
    EXPECT_EQ(0x80u, info.style & 0x80u);
    GUID back = {};
    EXPECT_EQ(S_OK, slots->HandleMessage(object, 2, 0, &back));                 // 25
    EXPECT_TRUE(IsEqualGUID(id, back));

    host.Clear();
    host.iconOffset = {1, 1};
    CDibCanvas dib(32, 32, PixelOf(RGB(0, 0, 0)));
    RECT rect = {0, 0, 32, 32};
    EXPECT_EQ(S_OK, slots->DrawButtonIcon(object, dib.dc(), &rect, 0x40));     // 8
    ASSERT_FALSE(host.Slot(7).empty());
    EXPECT_EQ(0x40u, host.Slot(7)[0].arg);

    // 26: the one-slot destructor; bit 0 frees the object.
    slots->DeletingDestructor(object, 1);
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, UnknownMessagesAndCommandsAnswerFalse) {
    ComPtr<IDvlButton> button;
    button = Adopt(dll.CreateButton());
    ASSERT_TRUE(button);
    for (UINT code : {0u, 3u, 32u, 37u, 38u, 39u, 47u, 60u, 1000u}) {
        BYTE out[600];
        std::memset(out, 0x5A, sizeof(out));
        EXPECT_EQ(S_FALSE, button->HandleMessage(code, 1, out)) << code;
        bool untouched = true;
        for (BYTE b : out) untouched = untouched && b == 0x5A;
        EXPECT_TRUE(untouched) << code;
    }
    EXPECT_EQ(S_FALSE, button->Command(DVLCMD_2, 0, 0));
    EXPECT_EQ(S_FALSE, button->Command(DVLCMD_2000, 0, 0));
    EXPECT_EQ(S_FALSE, button->Command(0x1234, 0, 0));
}

TEST_F(Server, IconGroupsHoldEverySizeWithAlpha) {
    for (int id : {107, 109, 117, 120}) {
        HRSRC found = ::FindResourceW(dll.module(), MAKEINTRESOURCEW(id), RT_GROUP_ICON);
        ASSERT_NE(nullptr, found) << id;
        auto directory = static_cast<const BYTE*>(::LockResource(::LoadResource(dll.module(), found)));
        ASSERT_NE(nullptr, directory);
        WORD count = *reinterpret_cast<const WORD*>(directory + 4);
        ASSERT_EQ(5, count) << id;
        int sizes[5];
        for (int i = 0; i < 5; ++i) {
            const BYTE* entry = directory + 6 + i * 14;
            sizes[i] = entry[0] ? entry[0] : 256;
            EXPECT_EQ(32, *reinterpret_cast<const WORD*>(entry + 6)) << id;  // bits per pixel
        }
        EXPECT_EQ(16, sizes[0]);
        EXPECT_EQ(24, sizes[1]);
        EXPECT_EQ(32, sizes[2]);
        EXPECT_EQ(48, sizes[3]);
        EXPECT_EQ(256, sizes[4]);

        // Drawn: something in the middle, the background in the corners.
        mx::unique_hicon icon(static_cast<HICON>(
            ::LoadImageW(dll.module(), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
        ASSERT_TRUE(icon) << id;
        const COLORREF back = RGB(255, 0, 255);
        CDibCanvas dib(32, 32, PixelOf(back));
        ASSERT_TRUE(::DrawIconEx(dib.dc(), 0, 0, icon.get(), 32, 32, 0, nullptr, DI_NORMAL));
        EXPECT_FALSE(Near(dib.Colour(16, 16), back)) << id;
        EXPECT_TRUE(Near(dib.Colour(0, 0), back)) << id << " " << Describe(dib.Colour(0, 0));
        EXPECT_TRUE(Near(dib.Colour(31, 31), back)) << id << " " << Describe(dib.Colour(31, 31));
    }
}

TEST_F(Server, OverlayImagesAreSmallPngsWithTransparentCorners) {
    for (int id : {118, 119}) {
        HRSRC found = ::FindResourceW(dll.module(), MAKEINTRESOURCEW(id), L"PNG");
        ASSERT_NE(nullptr, found) << id;
        CxImage image;
        ASSERT_TRUE(image.LoadFromResource(found, IMAGE_TYPE_PNG, dll.module())) << id;
        EXPECT_EQ(16u, image.GetWidth());
        EXPECT_EQ(16u, image.GetHeight());
        ASSERT_TRUE(image.AlphaIsValid());
        EXPECT_EQ(0, image.AlphaGet(0, 0)) << id;
        EXPECT_EQ(0, image.AlphaGet(15, 15)) << id;
        EXPECT_EQ(255, image.AlphaGet(8, 6)) << id;
    }
}

TEST_F(Server, VersionResourceNamesTheProduct) {
    DWORD handle = 0;
    std::wstring path = PluginDllPath();
    DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    WCHAR* name = nullptr;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                                 reinterpret_cast<void**>(&name), &length));
    EXPECT_STREQ(L"Mirabex", name);
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\OriginalFilename",
                                 reinterpret_cast<void**>(&name), &length));
    EXPECT_STREQ(L"mirabex.dll", name);
}
