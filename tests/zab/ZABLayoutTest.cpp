// Grid layout in numbers: trees of probes measured and laid out without
// windows, so every cell can be compared with the value worked out by hand.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "tests/zab/CProbeElement.h"
#include "tests/zab/CProbeEngine.h"
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABTab.h"
#include "zab/ZABMeasure.h"

using Microsoft::WRL::ComPtr;

namespace {

const RECT kMargins = {7, 8, 9, 10};  // left, top, right, bottom
const int kHSpacing = 4;
const int kVSpacing = 6;

class Layout : public ComTest {
protected:
    // Builds the tree of the <probe> document `xml` with the spacing and
    // margins of a dialog on its root, and copies the spacing down.
    CProbeElement* Build(const wchar_t* xml) {
        ComPtr<IXMLDOMDocument> document = ZABLoadXmlText(xml);
        EXPECT_TRUE(document);
        if (!document) return nullptr;
        root = std::make_unique<CProbeElement>(nullptr, &engine);
        EXPECT_TRUE(root->LoadFromXml(CZABEngine::SelectNode(document.Get(), L"probe").Get()));
        root->SetGaps(kHSpacing, kVSpacing, kMargins);
        root->Create();
        return root.get();
    }
    SIZE MinSize(CZABElement* element) {
        SIZE size = {-1, -1};
        element->GetMinSize(&size);
        return size;
    }
    RECT Cell(const wchar_t* id) {
        auto* probe = static_cast<CProbeElement*>(root->FindById(id));
        EXPECT_TRUE(probe) << id;
        return probe ? probe->GetCell() : RECT{-1, -1, -1, -1};
    }
    void ExpectCell(const wchar_t* id, int x, int y, int cx, int cy) {
        RECT cell = Cell(id);
        EXPECT_EQ(x, cell.left) << id;
        EXPECT_EQ(y, cell.top) << id;
        EXPECT_EQ(cx, cell.right - cell.left) << id;
        EXPECT_EQ(cy, cell.bottom - cell.top) << id;
    }

    CProbeEngine engine{::GetModuleHandleW(nullptr)};
    std::unique_ptr<CProbeElement> root;
};

TEST_F(Layout, FiveChildrenInTwoColumnsFillThreeRowsRowByRow) {
    CProbeElement* tree = Build(
        L"<probe columns='2'>"
        L"<probe id='a' minwidth='30' minheight='10'/><probe id='b' minwidth='50' minheight='12'/>"
        L"<probe id='c' minwidth='40' minheight='20'/><probe id='d' minwidth='20' minheight='5'/>"
        L"<probe id='e' minwidth='45' minheight='7'/>"
        L"</probe>");
    ASSERT_TRUE(tree);
    // Columns 45 and 50, rows 12, 20 and 7.
    SIZE size = MinSize(tree);
    EXPECT_EQ(7 + 45 + 4 + 50 + 9, size.cx);
    EXPECT_EQ(8 + 12 + 6 + 20 + 6 + 7 + 10, size.cy);
    tree->Layout(100, 200, size.cx, size.cy);
    ExpectCell(L"a", 107, 208, 45, 12);
    ExpectCell(L"b", 156, 208, 50, 12);
    ExpectCell(L"c", 107, 226, 45, 20);
    ExpectCell(L"d", 156, 226, 50, 20);
    ExpectCell(L"e", 107, 252, 45, 7);
}

TEST_F(Layout, VerticalRowsFillColumnByColumnAndZeroMeansOneTrack) {
    CProbeElement* tree = Build(
        L"<probe orient='Vertical' rows='2'>"
        L"<probe id='a' minwidth='30' minheight='10'/><probe id='b' minwidth='20' minheight='15'/>"
        L"<probe id='c' minwidth='25' minheight='12'/>"
        L"</probe>");
    ASSERT_TRUE(tree);
    SIZE size = MinSize(tree);
    EXPECT_EQ(7 + 30 + 4 + 25 + 9, size.cx);
    EXPECT_EQ(8 + 12 + 6 + 15 + 10, size.cy);
    tree->Layout(0, 0, size.cx, size.cy);
    ExpectCell(L"a", 7, 8, 30, 12);
    ExpectCell(L"b", 7, 26, 30, 15);
    ExpectCell(L"c", 41, 8, 25, 12);

    // No "columns" in a horizontal box, no "rows" in a vertical one: one track.
    tree = Build(
        L"<probe><probe id='h' minwidth='10' minheight='3'/><probe minwidth='10'/>"
        L"<probe orient='vertical' rows='0' id='v'><probe minheight='5'/><probe minheight='5'/>"
        L"<probe id='last' minheight='5'/></probe></probe>");
    ASSERT_TRUE(tree);
    size = MinSize(tree);
    EXPECT_EQ(7 + 10 + 4 + 10 + 4 + 0 + 9, size.cx);
    EXPECT_EQ(8 + (5 + 6 + 5 + 6 + 5) + 10, size.cy);
    tree->Layout(0, 0, size.cx, size.cy);
    ExpectCell(L"last", 35, 8 + 22, 0, 5);
}

TEST_F(Layout, FlexTracksShareOnlyTheSpareSpaceByWeight) {
    CProbeElement* tree = Build(
        L"<probe>"
        L"<probe id='one' minwidth='50' hFlex='1' minheight='10'/>"
        L"<probe id='two' minwidth='5' hFlex='2' minheight='10'/>"
        L"<probe id='fixed' minwidth='40' minheight='10'/>"
        L"</probe>");
    ASSERT_TRUE(tree);
    const int gaps = 7 + 9 + 2 * 4;
    // 30 pixels beside the fixed column: 10 and 20, although "one" measured 50.
    tree->Layout(0, 0, gaps + 40 + 30, 100);
    ExpectCell(L"one", 7, 8, 10, 10);
    ExpectCell(L"two", 21, 8, 20, 10);
    ExpectCell(L"fixed", 45, 8, 40, 10);
    // 31 pixels: the remainder of the division is dropped.
    tree->Layout(0, 0, gaps + 40 + 31, 100);
    EXPECT_EQ(10, Cell(L"one").right - Cell(L"one").left);
    EXPECT_EQ(20, Cell(L"two").right - Cell(L"two").left);
    // Less room than the fixed columns need: nothing shrinks.
    tree->Layout(0, 0, gaps + 30, 100);
    ExpectCell(L"one", 7, 8, 50, 10);
    ExpectCell(L"two", 61, 8, 5, 10);
    ExpectCell(L"fixed", 70, 8, 40, 10);
}

TEST_F(Layout, FirstFlexInATrackWinsAndCellsStretchToTheirTracks) {
    CProbeElement* tree = Build(
        L"<probe columns='2'>"
        L"<probe id='a' minwidth='10' minheight='10'/>"
        L"<probe id='b' minwidth='10' hFlex='5' vFlex='3' minheight='4'/>"
        L"<probe id='c' minwidth='10' hFlex='1' vFlex='1' minheight='10'/>"
        L"<probe id='d' minwidth='10' hFlex='1' vFlex='7' minheight='10'/>"
        L"</probe>");
    ASSERT_TRUE(tree);
    // Column 0 takes flex 1 from "c", column 1 flex 5 from "b" (not 1 from
    // "d"); row 0 flex 3 from "b", row 1 flex 1 from "c" (not 7 from "d").
    tree->Layout(0, 0, 7 + 9 + 4 + 60, 8 + 10 + 6 + 40);
    ExpectCell(L"a", 7, 8, 10, 30);
    ExpectCell(L"b", 21, 8, 50, 30);
    ExpectCell(L"c", 7, 44, 10, 10);
    ExpectCell(L"d", 21, 44, 50, 10);
}

TEST_F(Layout, ButtonRowKeepsItsButtonsAtTheRightEdgeAndALineSpansTheColumn) {
    CProbeElement* tree = Build(
        L"<probe orient='vertical'>"
        L"<probe id='wide' minwidth='300' minheight='50'/>"
        L"<probe id='line' minwidth='10' minheight='2'/>"
        L"<hbox columns='3'>"
        L"<spacer id='spacer' hFlex='1'/>"
        L"<probe id='ok' minwidth='75' minheight='23'/><probe id='cancel' minwidth='75' minheight='23'/>"
        L"</hbox></probe>");
    ASSERT_TRUE(tree);
    SIZE size = MinSize(tree);
    EXPECT_EQ(7 + 300 + 9, size.cx);
    EXPECT_EQ(8 + 50 + 6 + 2 + 6 + 23 + 10, size.cy);
    tree->Layout(0, 0, size.cx, size.cy);
    ExpectCell(L"line", 7, 64, 300, 2);
    // The box got the whole column; its spacing came from the root.
    ExpectCell(L"cancel", 7 + 300 - 75, 72, 75, 23);
    ExpectCell(L"ok", 7 + 300 - 75 - 4 - 75, 72, 75, 23);
}

TEST_F(Layout, AnEmptyElementIsItsMarginsAroundItsMinimum) {
    CProbeElement* tree = Build(L"<probe minwidth='33' minheight='44'/>");
    ASSERT_TRUE(tree);
    SIZE size = MinSize(tree);
    EXPECT_EQ(7 + 33 + 9, size.cx);
    EXPECT_EQ(8 + 44 + 10, size.cy);
    // A grid smaller than the minimum: the minimum holds.
    tree = Build(L"<probe minwidth='100' minheight='5'><probe minwidth='20' minheight='30'/></probe>");
    ASSERT_TRUE(tree);
    size = MinSize(tree);
    EXPECT_EQ(7 + 100 + 9, size.cx);
    EXPECT_EQ(8 + 30 + 10, size.cy);
}

TEST_F(Layout, HostileNumbersStayBoundedAndNeverCrash) {
    CProbeElement* tree = Build(
        L"<probe columns='-5' rows='99999999'>"
        L"<probe id='a' minwidth='2147483647' minheight='-2147483647' hFlex='-3'/>"
        L"<probe id='b' minwidth='10' hFlex='2147483647' vFlex='2147483647'/>"
        L"<probe id='c' minwidth='10' hFlex='2147483647'/>"
        L"</probe>");
    ASSERT_TRUE(tree);
    SIZE size = MinSize(tree);
    EXPECT_GT(size.cx, 0);
    EXPECT_GE(size.cy, 0);
    tree->Layout(0, 0, 1000, 1000);
    EXPECT_EQ(1, static_cast<CProbeElement*>(tree->FindById(L"c"))->GetLayoutCount());
    // A column count far beyond the children: empty tracks, not a crash.
    tree = Build(L"<probe columns='2000000000'><probe id='x' minwidth='3'/></probe>");
    ASSERT_TRUE(tree);
    tree->Layout(0, 0, MinSize(tree).cx, MinSize(tree).cy);
    ExpectCell(L"x", 7, 8, 3, 0);
}

// A tab switcher's image size enters the sums its tabs are measured with:
// one near the largest number stays a large size, a negative one none.
TEST_F(Layout, TabImageSizesStayBounded) {
    const SIZE label = ZABMeasureText(L"First");
    struct Case {
        const wchar_t* size;
        long long least, most;
    };
    for (const Case& test : {Case{L"2147483600", 1 << 20, 4 << 20}, Case{L"-50", 0, 0}}) {
        std::wstring xml = std::wstring(L"<probe><tabswitcher id='sw' imageAlign='top' imageSize='") +
                           test.size + L"'><tab id='t' label='First' selected='true'/></tabswitcher></probe>";
        CProbeElement* tree = Build(xml.c_str());
        ASSERT_TRUE(tree);
        SIZE size = MinSize(tree->FindById(L"sw"));
        tree->Layout(0, 0, MinSize(tree).cx, MinSize(tree).cy);
        const RECT tab = static_cast<CZABTab*>(tree->FindById(L"t"))->GetRect();
        const long long height = tab.bottom - tab.top;
        EXPECT_GE(height, test.least + label.cy + 6) << test.size;
        EXPECT_GE(size.cx, test.least + label.cx) << test.size;
        if (test.most) {
            EXPECT_LE(height, test.most) << test.size;
            EXPECT_LE(size.cx, test.most) << test.size;
        } else {
            EXPECT_EQ(label.cy + 6, height) << test.size;
        }
    }
}

}  // namespace
