// What a button's container sends to the bar: each operation reaches the
// bar's slot or request that it stands for, with the right records, and a
// wrapper without a site answers with the defaults.
#include <gtest/gtest.h>
#include <cstring>
#include "plugin/CPlugin.h"
#include "tests/plugin/TestHost.h"
#include "ui/CDvlButton.h"

namespace {

class BaseButton : public CDvlButton {};

struct Sited {
    TestHost host;
    BaseButton* button = new BaseButton();
    CPlugin* plugin = CPlugin::Create(button);
    CDvlContainer* container = nullptr;
    explicit Sited(bool withSite = true) {
        plugin->SetSite(withSite ? host.Site() : nullptr);
        container = button->GetContainer();
    }
    ~Sited() { plugin->Release(); }
};

}  // namespace

TEST(Container, SetSiteHandsTheWrapperToTheButtonAndAddsNoReference) {
    Sited sited;
    EXPECT_EQ(static_cast<CDvlContainer*>(sited.plugin), sited.container);
    EXPECT_TRUE(sited.host.calls.empty());  // neither AddRef nor Release
    EXPECT_EQ(1, sited.host.refs);
}

TEST(Container, MetricsQueriesUseOneThirtyTwoByteRecord) {
    Sited sited;
    sited.host.iconSize = 24;
    sited.host.metricsValue4 = 0x44;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    sited.host.menuFont = font;
    EXPECT_EQ(24u, sited.container->GetIconSize());
    EXPECT_EQ(0x44u, sited.container->GetMetricsValue4());
    EXPECT_EQ(font, sited.container->GetMenuFont());
    auto calls = sited.host.Slot(3);
    ASSERT_EQ(3u, calls.size());
    for (auto& call : calls) EXPECT_EQ(32u, call.initial);
    EXPECT_EQ(3u, sited.host.calls.size());

    // A bar whose slot answers no success code still gave its fields; one it
    // left zero keeps its default.
    for (HRESULT answer : {S_FALSE, E_NOTIMPL}) {
        sited.host.metricsAnswer = answer;
        sited.host.iconSize = 32;
        EXPECT_EQ(32u, sited.container->GetIconSize()) << answer;
        EXPECT_EQ(0x44u, sited.container->GetMetricsValue4()) << answer;
        EXPECT_EQ(font, sited.container->GetMenuFont()) << answer;
        sited.host.iconSize = 0;
        EXPECT_EQ(16u, sited.container->GetIconSize()) << answer;
    }
}

TEST(Container, EveryOperationReachesItsSlotOrRequest) {
    Sited sited;
    TestHost& host = sited.host;
    CDvlContainer* c = sited.container;
    HWND window = ::GetDesktopWindow();
    host.barWindow = window;
    host.iconOffset = {3, 4};
    host.iconFlags = 0x20000;
    host.entryColour = RGB(1, 2, 3);
    host.answerTextStyle = true;
    host.textStyle = 0xFF00FF;

    struct Expect { int slot; UINT code; };
    auto check = [&](Expect expected, const char* what) {
        ASSERT_EQ(1u, host.calls.size()) << what;
        EXPECT_EQ(expected.slot, host.calls[0].slot) << what;
        if (expected.slot == 11 || expected.slot == 10) {
            EXPECT_EQ(expected.code, host.calls[0].code) << what;
        }
    };

    host.Clear(); c->HostReserved8(5, 6); check({8, 0}, "0");
    EXPECT_EQ(5u, host.calls[0].arg);
    EXPECT_EQ(reinterpret_cast<void*>(6), host.calls[0].ptr);
    host.Clear(); EXPECT_EQ(window, c->GetBarWindow()); check({4, 0}, "1");
    POINT offset = {};
    RECT rect = {1, 2, 3, 4};
    host.Clear(); c->GetIconOffset(&offset, &rect, 9); check({7, 0}, "2");
    EXPECT_EQ(3, offset.x);
    EXPECT_EQ(4, offset.y);
    EXPECT_EQ(&rect, host.calls[0].ptr);
    EXPECT_EQ(9u, host.calls[0].arg);
    host.Clear(); EXPECT_EQ(16u, c->GetIconSize()); check({3, 0}, "3");
    host.Clear(); EXPECT_EQ(0x20000u, c->GetIconFlags()); check({11, 20}, "4");
    EXPECT_EQ(0u, host.calls[0].initial);
    EXPECT_EQ(0u, host.calls[0].arg);
    host.Clear(); c->GetMetricsValue4(); check({3, 0}, "5");
    host.Clear(); c->GetMenuFont(); check({3, 0}, "6");
    host.Clear(); EXPECT_EQ(RGB(1, 2, 3), c->GetEntryTextColor()); check({9, 0}, "7");
    EXPECT_EQ(0u, host.calls[0].initial);
    host.Clear(); EXPECT_EQ(0xFF00FFu, c->GetTextStyle()); check({11, 21}, "8");
    EXPECT_EQ(0xFFFFFFFFu, host.calls[0].initial);
    RECT margins;
    host.Clear(); c->GetItemMargins(&margins); check({9, 0}, "9");
    host.Clear(); c->SetHotKey(0x0341, 2); check({11, 2}, "10");
    EXPECT_EQ(0x0341u, host.calls[0].arg);
    EXPECT_EQ(reinterpret_cast<void*>(2), host.calls[0].ptr);
    host.Clear(); EXPECT_EQ(7u, c->Request3()); check({11, 3}, "11");
    EXPECT_EQ(1u, host.calls[0].initial);
    HRESULT (CDvlContainer::*plain[])() = {&CDvlContainer::Request4, &CDvlContainer::Request5,
                                           &CDvlContainer::Request6, &CDvlContainer::Request7,
                                           &CDvlContainer::Request8, &CDvlContainer::Request9};
    for (UINT i = 0; i < 6; ++i) {
        host.Clear();
        (c->*plain[i])();
        check({11, 4 + i}, "12-17");
        EXPECT_EQ(0u, host.calls[0].arg);
        EXPECT_EQ(nullptr, host.calls[0].ptr);
    }
    WCHAR folder[MAX_PATH] = L"";
    host.baseFolder = L"C:\\bar";
    host.Clear(); c->GetBaseFolder(0, folder); check({11, 10}, "18");
    EXPECT_STREQ(L"C:\\bar", folder);
    host.Clear(); c->Request11(13); check({11, 11}, "19");
    EXPECT_EQ(13u, host.calls[0].arg);
    host.Clear(); c->NotifyChanged(); check({5, 0}, "20");
    host.Clear(); c->Refresh1(); check({10, 1}, "21");
    host.Clear(); c->Invalidate(); check({10, 2}, "22");
    host.Clear(); c->Refresh4(); check({10, 4}, "23");
    host.Clear(); c->Request15(14); check({11, 15}, "24");
    EXPECT_EQ(14u, host.calls[0].arg);
    host.Clear(); c->ActivateMenu(); check({11, 12}, "25");
    host.Clear(); EXPECT_EQ(9u, c->Request17()); check({11, 17}, "26");
    EXPECT_EQ(1u, host.calls[0].arg);
    EXPECT_EQ(1u, host.calls[0].initial);

    // 27: AddRef, request 18 (0, argument), Release; answers Release's count.
    host.Clear();
    EXPECT_EQ(1u, c->Request18(0x99));
    ASSERT_EQ(3u, host.calls.size());
    EXPECT_EQ(1, host.calls[0].slot);
    EXPECT_EQ(11, host.calls[1].slot);
    EXPECT_EQ(18u, host.calls[1].code);
    EXPECT_EQ(0u, host.calls[1].arg);
    EXPECT_EQ(reinterpret_cast<void*>(0x99), host.calls[1].ptr);
    EXPECT_EQ(2, host.calls[2].slot);
}

TEST(Container, ItemMarginsNeverWriteBeyondTheCallersRecord) {
    Sited sited;
    // The bar fills all 24 bytes of its record.
    for (int i = 0; i < 24; ++i) sited.host.entryStyle[i] = static_cast<BYTE>(0x80 + i);
    struct { RECT margins; BYTE guard[16]; } target;
    std::memset(&target, 0x5A, sizeof(target));
    sited.container->GetItemMargins(&target.margins);
    EXPECT_EQ(0, std::memcmp(&target.margins, sited.host.entryStyle, sizeof(RECT)));
    for (BYTE b : target.guard) EXPECT_EQ(0x5A, b);
}

TEST(Container, WithoutASiteNothingIsSentAndDefaultsAnswer) {
    Sited sited(false);
    CDvlContainer* c = sited.container;
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(16u, c->GetIconSize());
    EXPECT_EQ(0u, c->GetMetricsValue4());
    EXPECT_EQ(nullptr, c->GetMenuFont());
    EXPECT_EQ(0xFFFFFFFFu, c->GetTextStyle());
    EXPECT_EQ(0u, c->GetIconFlags());
    EXPECT_EQ(0u, c->GetEntryTextColor());
    EXPECT_EQ(nullptr, c->GetBarWindow());
    RECT margins = {1, 1, 1, 1};
    c->GetItemMargins(&margins);
    EXPECT_EQ(0, margins.left);
    EXPECT_EQ(0, margins.bottom);
    WCHAR folder[MAX_PATH] = L"";
    EXPECT_TRUE(FAILED(c->GetBaseFolder(0, folder)));
    EXPECT_STREQ(L"", folder);
    EXPECT_TRUE(FAILED(c->Request15(1)));
    EXPECT_TRUE(FAILED(c->NotifyChanged()));
    EXPECT_EQ(0u, c->Request18(1));
    EXPECT_TRUE(sited.host.calls.empty());
}
