// The bar's tooltips: the tags of a tip text, and the tip drawn with them.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "host/bar/CTipLayout.h"
#include "host/bar/CTipWindow.h"

namespace {

std::vector<std::wstring> PlainLines(const std::wstring& markup) {
    std::vector<std::wstring> plain;
    for (const CTipLayout::Line& line : CTipLayout::Parse(markup)) plain.push_back(CTipLayout::Plain(line));
    return plain;
}

// Rows of the picture in which the pixels from x to x + length, and no
// further, have the colour.
std::vector<UINT> RuleRows(const std::vector<BYTE>& rgba, UINT width, UINT height, UINT x, UINT length,
                           COLORREF colour) {
    auto is = [&](UINT px, UINT y) {
        const BYTE* p = &rgba[(static_cast<size_t>(y) * width + px) * 4];
        return RGB(p[0], p[1], p[2]) == colour;
    };
    std::vector<UINT> rows;
    for (UINT y = 0; y < height; ++y) {
        bool run = !is(x - 1, y) && !is(x + length, y);
        for (UINT px = x; run && px < x + length; ++px) run = is(px, y);
        if (run) rows.push_back(y);
    }
    return rows;
}

}  // namespace

TEST(TipLayout, TheTagsOfATipText) {
    EXPECT_EQ((std::vector<std::wstring>{L"Formats:\t*HTML, Text*", L"Time:\t*1/2/2026 3:04 PM*", L"---",
                                         L"first line", L"second <i>no tag</i> <hr=0%> <hr=150%>"}),
              PlainLines(L"Formats:\t<b>HTML, Text</b><br>Time:<t><B>1/2/2026 3:04 PM</b><br><hr=100%><br>"
                         L"first line\r\nsecond <i>no tag</i> <hr=0%> <hr=150%>"));
    // A text that ends with its rule and the break after it (blank content)
    // has no empty line after the rule; a picture's lines have no rule.
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"---"}), PlainLines(L"a<br><hr=100%><br>"));
    EXPECT_EQ((std::vector<std::wstring>{L"Dimensions:\t*20 x 10*", L"Colors:\t*32 bits*"}),
              PlainLines(L"Dimensions:<t><b>20 x 10</b><br>Colors:<t><b>32 bits</b>"));
    std::vector<CTipLayout::Line> half = CTipLayout::Parse(L"x<hr=50%>y");
    ASSERT_EQ(3u, half.size());
    EXPECT_EQ(50, half[1].rulePercent);
}

TEST(TipLayout, RulesAreDrawnAcrossTheTip) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    UINT width = 0, height = 0;
    std::vector<BYTE> rgba;
    ASSERT_EQ(S_OK, CTipWindow::Render(font, L"Clipboard Snapshot",
                                       L"Formats:\t<b>Text</b><br>Time:\t<b>now</b><br><hr=100%><br>a longer preview "
                                       L"line<hr=50%>",
                                       width, height, rgba));
    ASSERT_EQ(static_cast<size_t>(width) * height * 4, rgba.size());
    const UINT padding = CTipLayout::kPadding, span = width - 2 * padding;
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW);
    EXPECT_EQ(1u, RuleRows(rgba, width, height, padding, span, shadow).size()) << width << " x " << height;
    EXPECT_EQ(1u, RuleRows(rgba, width, height, padding, span / 2, shadow).size());
    // Caption and four lines of text at the least.
    EXPECT_GT(height, 5u * 12u);
}
