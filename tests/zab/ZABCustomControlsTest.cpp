// The controls that draw themselves, in real dialogs under Wine: driven with
// the messages a user's keys and clicks send, and looked at in pixels.
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include "tests/zab/CModelessDialog.h"
#include "tests/zab/CProbeElement.h"
#include "tests/zab/CProbeEngine.h"
#include "tests/support/Waiting.h"
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABColor.h"
#include "zab/CZABFreeDraw.h"
#include "zab/CZABHotkey.h"
#include "zab/CZABTab.h"
#include "zab/CZABTabSwitcher.h"
#include "zab/CZABUrl.h"
#include "zab/ZABMeasure.h"
#include <cwchar>
#include <vector>

namespace {

// What a window draws for itself, on a canvas of its client size.
std::unique_ptr<CDibCanvas> Picture(HWND window) {
    RECT client = {};
    ::GetClientRect(window, &client);
    auto canvas = std::make_unique<CDibCanvas>(client.right, client.bottom, 0xFF123456);
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas->dc()), PRF_CLIENT);
    return canvas;
}

// The rightmost column holding a pixel of `colour`, or -1.
int RightmostOf(const CDibCanvas& canvas, COLORREF colour) {
    for (int x = canvas.width() - 1; x >= 0; --x) {
        for (int y = 0; y < canvas.height(); ++y) {
            if (canvas.Colour(x, y) == colour) return x;
        }
    }
    return -1;
}

RECT RectIn(HWND dialog, HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

LPARAM PointParam(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

// A link that records what it would hand to the shell instead of opening it.
class CRecordingUrl : public CZABUrl {
public:
    CRecordingUrl(CZABElement* parent, CZABEngine* engine, std::vector<std::wstring>* launched)
        : CZABUrl(parent, engine), m_launched(launched) {}

protected:
    void Launch(const WCHAR* address) override { m_launched->push_back(address); }

private:
    std::vector<std::wstring>* m_launched;
};

// A colour button whose colour dialog answers at once with a fixed colour.
class CAnsweringColor : public CZABColor {
public:
    static constexpr COLORREF kAnswer = RGB(1, 2, 3);
    using CZABColor::CZABColor;

protected:
    bool AskColour(COLORREF* colour) override {
        *colour = kAnswer;
        return true;
    }
};

// Links that open nothing, colour dialogs that answer at once, and images that are solid squares of the colour
// their name gives in hexadecimal ("ff0000" is blue: 0x00BBGGRR).
class CControlsEngine : public CProbeEngine {
public:
    CControlsEngine() : CProbeEngine(::GetModuleHandleW(nullptr)) {}
    CZABElement* CreateElement(const WCHAR* name, CZABElement* parent) override {
        if (ZABSameText(name, L"url")) return new CRecordingUrl(parent, this, &launched);
        if (ZABSameText(name, L"color")) return new CAnsweringColor(parent, this);
        return CProbeEngine::CreateElement(name, parent);
    }
    BOOL DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) override {
        mx::unique_hbrush brush(::CreateSolidBrush(std::wcstoul(name, nullptr, 16)));
        RECT rect = {x, y, x + cx, y + cy};
        ::FillRect(dc, &rect, brush.get());
        return TRUE;
    }
    std::vector<std::wstring> launched;
};

class CustomControls : public ComTest {
protected:
    // Shows the dialog document `text`; the test fails when it does not show.
    CModelessDialog& Show(const std::wstring& text) {
        std::wstring path = folder.WriteUtf16(L"doc" + std::to_wstring(++m_files) + L".xml", text);
        // The real pointer stays off the dialog: only the test moves over it.
        ::SetCursorPos(0, 0);
        m_dialog = std::make_unique<CModelessDialog>(&engine);
        EXPECT_TRUE(m_dialog->Open(path));
        return *m_dialog;
    }
    void TearDown() override {
        m_dialog.reset();
        ComTest::TearDown();
    }

    CControlsEngine engine;
    TempFolder folder;

private:
    std::unique_ptr<CModelessDialog> m_dialog;
    int m_files = 0;
};

// A key as the keyboard sends it: the layout's scan code in the message.
void Key(HWND window, UINT message, UINT key, bool extended = false) {
    LPARAM lParam = 1 | (static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    if (extended) lParam |= 1 << 24;
    if (message == WM_KEYUP || message == WM_SYSKEYUP) lParam |= 0xC0000000;
    ::PostMessageW(window, message, key, lParam);
}

TEST_F(CustomControls, HotkeyFieldRecordsModifiersAndOneKeyAndStartsOverOnANewModifier) {
    CModelessDialog& dialog = Show(
        L"<dialog><hotkey id='hk'/><probe id='next' window='true' minwidth='20' minheight='10'/></dialog>");
    auto* field = dialog.Find<CZABHotkey>(L"hk");
    ASSERT_TRUE(field && field->GetWindow());
    HWND window = field->GetWindow();
    WCHAR className[64] = {};
    ::GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"ZAB_HOTKEY_CLASS", className);
    EXPECT_EQ(field, ::GetPropW(window, L"dvlhotkey_this"));
    RECT units = {0, 0, 80, 14};
    ::MapDialogRect(dialog.GetWindow(), &units);
    const RECT placed = RectIn(dialog.GetWindow(), window);
    EXPECT_EQ(units.right, placed.right - placed.left);
    EXPECT_EQ(units.bottom, placed.bottom - placed.top);
    EXPECT_NE(units.right, ::MulDiv(80, LOWORD(::GetDialogBaseUnits()), 4)) << "the dialog's font decides";
    EXPECT_STREQ(L"None", field->GetKeyText());
    const int noneRight = RightmostOf(*Picture(window), ::GetSysColor(COLOR_WINDOWTEXT));

    ::SendMessageW(window, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(window, ::GetFocus());
    auto press = [&](UINT message, UINT key, bool extended = false) {
        Key(window, message, key, extended);
        dialog.Pump();
        return std::wstring(field->GetKeyText());
    };
    EXPECT_EQ(L"Ctrl + ", press(WM_KEYDOWN, VK_CONTROL));
    EXPECT_EQ(L"Ctrl + Shift + ", press(WM_KEYDOWN, VK_SHIFT));
    EXPECT_EQ(L"Ctrl + Shift + K", press(WM_KEYDOWN, 'K'));
    EXPECT_EQ(L"Ctrl + Shift + K", press(WM_KEYUP, 'K'));
    EXPECT_EQ(L"Ctrl + Shift + K", press(WM_KEYUP, VK_SHIFT));
    EXPECT_EQ(L"Ctrl + Shift + K", press(WM_KEYUP, VK_CONTROL));
    EXPECT_EQ(CZABHotkey::kCtrl | CZABHotkey::kShift | 'K', field->GetValue());
    EXPECT_EQ(field->GetValue(), ::SendMessageW(window, CZABHotkey::kGetValue, 0, 0));
    // The longer text reaches further right in the field.
    EXPECT_GT(RightmostOf(*Picture(window), ::GetSysColor(COLOR_WINDOWTEXT)), noneRight + 20);

    EXPECT_EQ(L"Alt + ", press(WM_SYSKEYDOWN, VK_MENU));
    EXPECT_EQ(CZABHotkey::kAlt, field->GetValue());
    EXPECT_EQ(L"None", press(WM_SYSKEYUP, VK_MENU));
    EXPECT_EQ(L"Ctrl + ", press(WM_KEYDOWN, VK_CONTROL));
    EXPECT_EQ(L"None", press(WM_KEYUP, VK_CONTROL));
    EXPECT_EQ(0, field->GetValue());

    // Tab is a key like any other: the focus stays.
    press(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(VK_TAB, field->GetValue());
    EXPECT_EQ(window, ::GetFocus());
    press(WM_KEYDOWN, VK_RIGHT, true);
    EXPECT_EQ(CZABHotkey::kExtended | VK_RIGHT, field->GetValue());
    // The Windows key's scan code names no key without its prefix.
    ::PostMessageW(window, WM_KEYDOWN, VK_LWIN, 1 | (0x5B << 16) | (1 << 24));
    dialog.Pump();
    EXPECT_STREQ(L"Win + ", field->GetKeyText());
    EXPECT_EQ(CZABHotkey::kWin, field->GetValue());

    ::SendMessageW(window, CZABHotkey::kSetValue, CZABHotkey::kWin | 'Q', 0);
    EXPECT_STREQ(L"Win + Q", field->GetKeyText());
    field->SetValue(0);
    EXPECT_STREQ(L"None", field->GetKeyText());
    EXPECT_EQ(0, ::SendMessageW(window, CZABHotkey::kGetValue, 0, 0));
}

const wchar_t kSwitcher[] =
    L"<dialog><tabswitcher id='sw'>"
    L"<tab label='First' caption='A' selected='true'>"
    L"<probe id='one' window='true' minwidth='100' minheight='40'/></tab>"
    L"<tab label='Second tab' caption='A much longer caption'>"
    L"<probe id='two' window='true' minwidth='150' minheight='90'/></tab>"
    L"</tabswitcher></dialog>";

TEST_F(CustomControls, TabSwitcherShowsTheSelectedPageAndCaptionAndSwitchesOnAClick) {
    CModelessDialog& dialog = Show(kSwitcher);
    auto* switcher = dialog.Find<CZABTabSwitcher>(L"sw");
    ASSERT_TRUE(switcher && switcher->GetWindow() && switcher->GetCaptionWindow());
    HWND list = switcher->GetWindow();
    HWND caption = switcher->GetCaptionWindow();
    HWND one = dialog.FindById(L"one")->GetWindow();
    HWND two = dialog.FindById(L"two")->GetWindow();
    EXPECT_EQ(switcher, ::GetPropW(list, L"CZABTabSwitcher_this"));
    EXPECT_EQ(switcher, ::GetPropW(caption, L"CZABTabSwitcher_this"));
    EXPECT_TRUE(::IsWindowVisible(one));
    EXPECT_FALSE(::IsWindowVisible(two));

    // The list on the left, the caption bar over the page, the page below
    // it; the tallest page and the widest decide the size.
    HWND host = dialog.GetWindow();
    RECT units = {10, 7, 0, 20};
    ::MapDialogRect(host, &units);
    const RECT listRect = RectIn(host, list), captionRect = RectIn(host, caption);
    const RECT pageRect = RectIn(host, two);
    EXPECT_EQ(listRect.right + units.left, captionRect.left);
    EXPECT_EQ(units.bottom, captionRect.bottom - captionRect.top);
    EXPECT_EQ(captionRect.bottom + units.top, pageRect.top);
    EXPECT_EQ(captionRect.left, pageRect.left);
    EXPECT_EQ(150, pageRect.right - pageRect.left);
    EXPECT_EQ(90, pageRect.bottom - pageRect.top);
    EXPECT_EQ(listRect.bottom, pageRect.bottom);

    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF highlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    auto* first = static_cast<CZABTab*>(switcher->GetChild(0));
    auto* second = static_cast<CZABTab*>(switcher->GetChild(1));
    auto captionBefore = Picture(caption);
    // A gradient from lighter on the left to darker on the right.
    auto channelsNear = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) <= 3 && std::abs(GetGValue(a) - GetGValue(b)) <= 3 &&
               std::abs(GetBValue(a) - GetBValue(b)) <= 3;
    };
    auto shifted = [&](int delta) {
        auto c = [&](int v) { return std::min(255, std::max(0, v + delta)); };
        return RGB(c(GetRValue(highlight)), c(GetGValue(highlight)), c(GetBValue(highlight)));
    };
    EXPECT_TRUE(channelsNear(shifted(20), captionBefore->Colour(0, 1)));
    EXPECT_TRUE(channelsNear(shifted(-20), captionBefore->Colour(captionBefore->width() - 1, 1)));
    const int shortCaption = RightmostOf(*captionBefore, highlightText);
    EXPECT_GT(shortCaption, 4);

    auto listBefore = Picture(list);
    const RECT firstRect = first->GetRect(), secondRect = second->GetRect();
    const POINT firstMiddle = {(firstRect.left + firstRect.right) / 2, (firstRect.top + firstRect.bottom) / 2};
    const POINT secondMiddle = {(secondRect.left + secondRect.right) / 2, (secondRect.top + secondRect.bottom) / 2};
    EXPECT_EQ(highlight, listBefore->Colour(firstRect.left + 6, firstMiddle.y));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), listBefore->Colour(secondRect.left + 6, secondMiddle.y));

    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(secondMiddle));
    ::PostMessageW(list, WM_LBUTTONUP, 0, PointParam(secondMiddle));
    dialog.Pump();
    EXPECT_EQ(second, switcher->GetSelectedTab());
    EXPECT_FALSE(::IsWindowVisible(one));
    EXPECT_TRUE(::IsWindowVisible(two));
    EXPECT_GT(RightmostOf(*Picture(caption), highlightText), shortCaption + 40);
    auto listAfter = Picture(list);
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), listAfter->Colour(firstRect.left + 6, firstMiddle.y));
    EXPECT_EQ(highlight, listAfter->Colour(secondRect.left + 6, secondMiddle.y));
    // The switch is not the dialog's business.
    EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(CustomControls, TabUnderThePointerLightsUpUntilThePointerLeaves) {
    CModelessDialog& dialog = Show(kSwitcher);
    auto* switcher = dialog.Find<CZABTabSwitcher>(L"sw");
    ASSERT_TRUE(switcher && switcher->GetWindow());
    HWND list = switcher->GetWindow();
    auto* first = static_cast<CZABTab*>(switcher->GetChild(0));
    auto* second = static_cast<CZABTab*>(switcher->GetChild(1));
    RECT listOnScreen = {};
    ::GetWindowRect(list, &listOnScreen);
    ::SetCursorPos(listOnScreen.right + 200, listOnScreen.bottom + 200);
    const RECT rect = second->GetRect();
    const POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};

    // The selected tab never lights up.
    ::SendMessageW(list, WM_MOUSEMOVE, 0, PointParam({first->GetRect().left + 5, first->GetRect().top + 5}));
    EXPECT_FALSE(first->IsHot());
    ::SendMessageW(list, WM_MOUSEMOVE, 0, PointParam(middle));
    EXPECT_TRUE(second->IsHot());
    auto lit = Picture(list);
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    auto light = [](int c) { return c > 205 ? 255 : c + 50; };
    EXPECT_EQ(RGB(light(GetRValue(highlight)), light(GetGValue(highlight)), light(GetBValue(highlight))),
              lit->Colour(rect.left + 6, middle.y));
    // The pointer is far away: the next look at it ends the light.
    EXPECT_TRUE(mxtest::WaitUntil([&] { return !second->IsHot(); }, 5000));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOW), Picture(list)->Colour(rect.left + 6, middle.y));
}

void ClickAt(CModelessDialog& dialog, HWND window, POINT point) {
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(point));
    ::PostMessageW(window, WM_LBUTTONUP, 0, PointParam(point));
    dialog.Pump();
}

TEST_F(CustomControls, LinksNotifyTheDialogOrOpenOnlyWebAndMailAddresses) {
    CModelessDialog& dialog = Show(
        L"<dialog orient='vertical'>"
        L"<url id='notify' text='Tell the dialog' url=':NOTIFY:'/>"
        L"<url id='web' text='Web site' url='https://example.com/a?b=c'/>"
        L"<url id='mail' text='Write' url='mailto:someone@example.com'/>"
        L"<url id='program' text='Program' url='C:\\windows\\notepad.exe'/>"
        L"<url id='file' text='File' url='file:///C:/windows/win.ini'/>"
        L"<url id='quoted' text='Quoted' url='https://example.com/\" --flag \"'/>"
        L"<url id='right' text='Right' url=':notify:' textalign='right' minwidth='200'/>"
        L"</dialog>");
    for (const wchar_t* id : {L"notify", L"web", L"mail", L"program", L"file", L"quoted"}) {
        CZABElement* link = dialog.FindById(id);
        ASSERT_TRUE(link && link->GetWindow());
        ClickAt(dialog, link->GetWindow(), {2, 5});
    }
    ASSERT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(dialog.FindById(L"notify"), dialog.commands[0].element);
    EXPECT_EQ(dialog.FindById(L"notify")->GetWindow(), dialog.commands[0].control);
    EXPECT_EQ((std::vector<std::wstring>{L"https://example.com/a?b=c", L"mailto:someone@example.com"}),
              engine.launched);

    // Right-aligned, the text and the place to click sit at the right edge.
    HWND right = dialog.FindById(L"right")->GetWindow();
    RECT client = {};
    ::GetClientRect(right, &client);
    auto shown = Picture(right);
    auto blue = [](DWORD pixel) { return (pixel & 0xFFFFFF) == 0x0000FF; };
    EXPECT_EQ(0, shown->Count(RECT{0, 0, client.right / 2, client.bottom}, blue));
    EXPECT_GT(shown->Count(RECT{client.right / 2, 0, client.right, client.bottom}, blue), 10);
    ClickAt(dialog, right, {5, 5});
    EXPECT_EQ(1u, dialog.commands.size());
    ClickAt(dialog, right, {client.right - 3, 5});
    EXPECT_EQ(2u, dialog.commands.size());
}

TEST_F(CustomControls, LinkUnderlinesWhileThePointerIsOverItsText) {
    CModelessDialog& dialog = Show(L"<dialog><url id='web' text='Web site' url='http://example.com'/></dialog>");
    HWND link = dialog.FindById(L"web")->GetWindow();
    ASSERT_TRUE(link);
    EXPECT_EQ(dialog.FindById(L"web"), ::GetPropW(link, L"ZABUrl_this"));
    const int plain = Picture(link)->CountRgb(0x0000FF);
    EXPECT_GT(plain, 10);
    ::SendMessageW(link, WM_MOUSEMOVE, 0, PointParam({3, 5}));
    auto* url = dialog.Find<CZABUrl>(L"web");
    EXPECT_TRUE(url->IsHot());
    EXPECT_GT(Picture(link)->CountRgb(0x0000FF), plain + 10);
    // The pointer is really far away: the link forgets it was over it.
    EXPECT_TRUE(mxtest::WaitUntil([&] { return !url->IsHot(); }, 5000));
    EXPECT_EQ(plain, Picture(link)->CountRgb(0x0000FF));
}

TEST_F(CustomControls, PicturesAreSizedInPixelsAndFreeDrawAreasAskTheDialogToPaint) {
    CModelessDialog& dialog = Show(
        L"<dialog><picture id='pic' pic='0000ff' picWidth='48' picHeight='30'/>"
        L"<freedraw id='draw' width='40' height='20'/></dialog>");
    CZABElement* picture = dialog.FindById(L"pic");
    ASSERT_TRUE(picture && picture->GetWindow());
    SIZE minimum = {};
    picture->GetMinSize(&minimum);
    EXPECT_EQ(48, minimum.cx);
    EXPECT_EQ(30, minimum.cy);
    auto shown = Picture(picture->GetWindow());
    EXPECT_EQ(0, shown->CountOther(RECT{0, 0, 48, 30}, RGB(255, 0, 0)));
    // Drawn at the picture's own size, whatever room the layout gives it.
    EXPECT_EQ(48 * 30, shown->CountRgb(0xFF0000));

    CZABElement* draw = dialog.FindById(L"draw");
    ASSERT_TRUE(draw && draw->GetWindow());
    RECT units = {0, 0, 40, 20};
    ::MapDialogRect(dialog.GetWindow(), &units);
    draw->GetMinSize(&minimum);
    EXPECT_EQ(units.right, minimum.cx);
    EXPECT_EQ(units.bottom, minimum.cy);
    RECT drawClient = {};
    ::GetClientRect(draw->GetWindow(), &drawClient);
    int paints = 0;
    dialog.onNotify = [&](CZABElement* element, NMHDR* header) {
        if (element != draw || header->code != CZABFreeDraw::kPaintCode) return;
        auto* record = reinterpret_cast<ZABFreeDrawPaint*>(header);
        ++paints;
        EXPECT_EQ(0u, header->idFrom);
        EXPECT_EQ(drawClient, record->client);
        mx::unique_hbrush green(::CreateSolidBrush(RGB(0, 255, 0)));
        ::FillRect(record->dc, &record->client, green.get());
    };
    ::InvalidateRect(draw->GetWindow(), nullptr, TRUE);
    ::UpdateWindow(draw->GetWindow());
    EXPECT_EQ(1, paints);
    EXPECT_EQ(0, Picture(draw->GetWindow())->CountOther(RGB(0, 255, 0)));
    EXPECT_EQ(2, paints);
}

TEST_F(CustomControls, ColourButtonShowsNoColourAndItsPaletteStaysOpenUntilAChoiceOrAClickOutside) {
    CModelessDialog& dialog = Show(L"<dialog><color id='c' enableNone='true'/></dialog>");
    auto* button = dialog.Find<CZABColor>(L"c");
    ASSERT_TRUE(button && button->GetWindow());
    HWND window = button->GetWindow();
    EXPECT_EQ(button, ::GetPropW(window, L"CZABColorThis"));
    EXPECT_EQ(CZABColor::kNone, button->GetValue());

    // No colour: light grey, crossed from the bottom left to the top right.
    RECT client = {};
    ::GetClientRect(window, &client);
    const int side = std::min(client.right, client.bottom) - 1;
    auto none = Picture(window);
    EXPECT_EQ(0xCCCCCCu, none->Rgb(side / 4 + 2, side / 4 + 2));
    EXPECT_EQ(0xCCCCCCu, none->Rgb(3 * side / 4 - 2, 3 * side / 4 - 2));
    int red = 0;
    for (int x = 3; x < side - 3; ++x) {
        const int y = side - 1 - x;
        for (int dy = -1; dy <= 1; ++dy) red += none->Rgb(x, y + dy) == 0xFF0000 ? 1 : 0;
    }
    EXPECT_GE(red, side - 8);

    // Opened below the button, at its left edge.
    CZABColorPicker& picker = button->GetPicker();
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    HWND palette = picker.GetWindow();
    ASSERT_TRUE(palette);
    RECT buttonRect = {}, paletteRect = {};
    ::GetWindowRect(window, &buttonRect);
    ::GetWindowRect(palette, &paletteRect);
    EXPECT_EQ(buttonRect.left, paletteRect.left);
    EXPECT_EQ(buttonRect.bottom, paletteRect.top);
    EXPECT_EQ(CZABColorPicker::kWidth, paletteRect.right - paletteRect.left);
    EXPECT_EQ(palette, ::GetCapture());
    auto cells = Picture(palette);
    const RECT blueCell = CZABColorPicker::CellRect(5, 0);
    EXPECT_EQ(0x0000FFu, cells->Rgb(blueCell.left + 8, blueCell.top + 8));
    EXPECT_EQ(0u, cells->Rgb(blueCell.left, blueCell.top + 8));
    const RECT lastGrey = CZABColorPicker::CellRect(17, 14);
    EXPECT_EQ(0xFFFFFFu, cells->Rgb(lastGrey.left + 8, lastGrey.top + 8));
    EXPECT_EQ(RGB(5, 5, 5), picker.GetColour(1, 12));

    // Inside, but on neither the palette, the preview nor a box: it stays.
    ClickAt(dialog, palette, {120, 10});
    EXPECT_EQ(palette, picker.GetWindow());
    EXPECT_TRUE(::IsWindowVisible(palette));
    // Outside: it goes, and the colour is what it was.
    ClickAt(dialog, palette, {-20, 300});
    EXPECT_FALSE(::IsWindow(palette));
    EXPECT_EQ(CZABColor::kNone, button->GetValue());
    EXPECT_TRUE(dialog.commands.empty());

    // A cell chooses its colour and tells the dialog.
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    palette = picker.GetWindow();
    ASSERT_TRUE(palette);
    ::SendMessageW(palette, WM_MOUSEMOVE, 0, PointParam({blueCell.left + 8, blueCell.top + 8}));
    EXPECT_EQ(static_cast<int>(RGB(0, 0, 255)), picker.GetHoverColour());
    auto hovered = Picture(palette);
    EXPECT_EQ(0xFFFFFFu, hovered->Rgb(blueCell.left, blueCell.top + 8));
    EXPECT_EQ(0x0000FFu, hovered->Rgb(10, 10));
    ClickAt(dialog, palette, {blueCell.left + 8, blueCell.top + 8});
    EXPECT_FALSE(::IsWindow(palette));
    EXPECT_EQ(static_cast<int>(RGB(0, 0, 255)), button->GetValue());
    ASSERT_EQ(1u, dialog.commands.size());
    EXPECT_EQ(button, dialog.commands[0].element);
    EXPECT_EQ(0x0000FFu, Picture(window)->Rgb(side / 2, side / 2));

    // The none box gives no colour back; Escape closes without a choice.
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    const RECT noneBox = picker.NoneRect();
    ClickAt(dialog, picker.GetWindow(), {noneBox.left + 8, noneBox.top + 8});
    EXPECT_EQ(nullptr, picker.GetWindow());
    EXPECT_EQ(CZABColor::kNone, button->GetValue());
    EXPECT_EQ(2u, dialog.commands.size());
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    ASSERT_TRUE(picker.GetWindow());
    ::SendMessageW(picker.GetWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(nullptr, picker.GetWindow());
    EXPECT_EQ(2u, dialog.commands.size());

    // The box at the top right asks the colour dialog.
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    const RECT more = picker.MoreRect();
    ClickAt(dialog, picker.GetWindow(), {more.left + 8, more.top + 8});
    EXPECT_EQ(nullptr, picker.GetWindow());
    EXPECT_EQ(static_cast<int>(CAnsweringColor::kAnswer), button->GetValue());
    EXPECT_EQ(3u, dialog.commands.size());

    // Near the bottom of the work area the palette opens above the button.
    const RECT work = ZABWorkAreaNear(window);
    RECT frame = {};
    ::GetWindowRect(dialog.GetWindow(), &frame);
    ::SetWindowPos(dialog.GetWindow(), nullptr, frame.left, work.bottom - (frame.bottom - frame.top),
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PointParam({4, 4}));
    dialog.Pump();
    ASSERT_TRUE(picker.GetWindow());
    ::GetWindowRect(window, &buttonRect);
    ::GetWindowRect(picker.GetWindow(), &paletteRect);
    EXPECT_EQ(buttonRect.top, paletteRect.bottom);
    EXPECT_EQ(buttonRect.left, paletteRect.left);
}

int ChildCount(HWND window) {
    int count = 0;
    ::EnumChildWindows(window, [](HWND, LPARAM counter) {
        ++*reinterpret_cast<int*>(counter);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Anyone can send a set-up message to a window that is long set up: the
// dialog and its controls stay as they were made.
TEST_F(CustomControls, LaterSetUpMessagesFromAnotherThreadAreIgnored) {
    CModelessDialog& dialog = Show(
        L"<dialog><menubar><menuitem label='Help'/></menubar>"
        L"<url id='web' text='a link' url='x'/><hotkey id='hk'/></dialog>");
    HWND window = dialog.GetWindow();
    ASSERT_TRUE(window);
    HWND link = dialog.FindById(L"web")->GetWindow();
    CZABElement* hotkey = dialog.FindById(L"hk");
    const int children = ChildCount(window);
    HMENU menu = ::GetMenu(window);
    ASSERT_TRUE(menu);
    HANDLE linkObject = ::GetPropW(link, CZABUrl::kProperty);
    ASSERT_TRUE(linkObject);
    ASSERT_EQ(DLGC_STATIC, ::SendMessageW(link, WM_GETDLGCODE, 0, 0));

    std::atomic<bool> sent{false};
    std::thread other([&] {
        ::SendMessageW(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&dialog));
        CREATESTRUCTW create = {};
        create.lpCreateParams = hotkey;
        ::SendMessageW(link, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
        sent = true;
    });
    const bool answered = mxtest::WaitUntil([&] { return sent.load(); });
    // A window that never answered would keep the sender waiting for good.
    if (answered) other.join(); else other.detach();
    ASSERT_TRUE(answered);
    EXPECT_EQ(children, ChildCount(window));
    EXPECT_EQ(menu, ::GetMenu(window));
    EXPECT_EQ(link, dialog.FindById(L"web")->GetWindow());
    EXPECT_EQ(linkObject, ::GetPropW(link, CZABUrl::kProperty));
    // Still the link that answers, not the hotkey field it was offered.
    EXPECT_EQ(DLGC_STATIC, ::SendMessageW(link, WM_GETDLGCODE, 0, 0));
}

}  // namespace
