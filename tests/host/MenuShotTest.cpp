// Pictures of a real menu, taken from inside the menu's own loop.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>
#include "base/Unique.h"
#include "host/automation/CMenuShot.h"

namespace {

// Where the menu window was while it was up, read by a thread timer of the
// test's own beside the shot's; it closes a menu the shot left open, so
// that a shot that never comes fails instead of hanging.
struct MenuSeen {
    RECT rect{};
    ULONGLONG firstSeen = 0;
};
MenuSeen* g_seen = nullptr;
const ULONGLONG kGiveUpMs = 10000;

void CALLBACK RecordMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (!g_seen || !menu || !IsWindowVisible(menu)) return;
    GetWindowRect(menu, &g_seen->rect);
    if (!g_seen->firstSeen) g_seen->firstSeen = GetTickCount64();
    if (GetTickCount64() - g_seen->firstSeen > kGiveUpMs) EndMenu();
}

struct Rgb {
    int r, g, b;
    bool operator<(const Rgb& o) const { return std::tie(r, g, b) < std::tie(o.r, o.g, o.b); }
};

Rgb PixelAt(const std::vector<BYTE>& rgba, UINT width, LONG x, LONG y) {
    const BYTE* p = &rgba[(size_t(y) * width + x) * 4];
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(MenuShot, TakesTheMenuAsItShowsAndClosesItChoosingNothing) {
    mx::unique_hwnd owner(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"menu shot owner", WS_POPUP | WS_VISIBLE,
                                          20, 20, 60, 30, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    mx::unique_hmenu menu(CreatePopupMenu());
    ASSERT_TRUE(AppendMenuW(menu.get(), MF_STRING, 7, L"MMMM WWWW Menu shot entry MMMM WWWW"));
    SetForegroundWindow(owner.get());

    MenuSeen seen;
    g_seen = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RecordMenu);
    ASSERT_NE(0u, timer);
    UINT_PTR chosen = 99;
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    const HRESULT hr = CMenuShot::Take(
        [&] {
            chosen = TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, 300, 200,
                                      owner.get(), nullptr);
        },
        width, height, rgba);
    KillTimer(nullptr, timer);
    g_seen = nullptr;

    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(0u, chosen);
    EXPECT_LT(GetTickCount64() - seen.firstSeen, kGiveUpMs) << "the shot left the menu open";
    // The menu's window and a 4-pixel margin around it (the screen is far
    // larger than the menu at 300,200).
    const LONG menuWidth = seen.rect.right - seen.rect.left, menuHeight = seen.rect.bottom - seen.rect.top;
    ASSERT_GT(menuWidth, 100);
    EXPECT_EQ(UINT(menuWidth + 8), width);
    EXPECT_EQ(UINT(menuHeight + 8), height);
    ASSERT_EQ(size_t(width) * height * 4, rgba.size());

    // Inside the menu's frame the one entry is all there is: the background
    // and the entry's text, whose pixels stand out from it.
    std::map<Rgb, size_t> counts;
    const LONG left = 4 + 3, top = 4 + 3, right = 4 + menuWidth - 3, bottom = 4 + menuHeight - 3;
    for (LONG y = top; y < bottom; ++y)
        for (LONG x = left; x < right; ++x) ++counts[PixelAt(rgba, width, x, y)];
    Rgb background{};
    size_t most = 0;
    for (const auto& count : counts)
        if (count.second > most) most = count.second, background = count.first;
    size_t text = 0;
    LONG textLeft = right, textRight = left;
    for (LONG y = top; y < bottom; ++y) {
        for (LONG x = left; x < right; ++x) {
            const Rgb p = PixelAt(rgba, width, x, y);
            if (std::abs(p.r - background.r) + std::abs(p.g - background.g) + std::abs(p.b - background.b) < 150)
                continue;
            ++text;
            textLeft = std::min(textLeft, x);
            textRight = std::max(textRight, x);
        }
    }
    EXPECT_GT(most, size_t(right - left) * (bottom - top) / 2);
    EXPECT_GT(text, 60u);
    // The text runs across most of the entry, as the long entry text does.
    EXPECT_GT(textRight - textLeft, menuWidth / 2);
}

TEST(MenuShot, FailsWhenNoMenuCameUp) {
    UINT width = 1, height = 1;
    std::vector<BYTE> rgba(4);
    EXPECT_TRUE(FAILED(CMenuShot::Take([] {}, width, height, rgba)));
    EXPECT_EQ(0u, width);
    EXPECT_EQ(0u, height);
    EXPECT_TRUE(rgba.empty());
}
