// Real modal dialogs under Wine: documents run through the dialog manager,
// driven from a timer on the test's thread as a user would (keys, the close
// box), and measured as windows once they are up.
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>
#include "tests/zab/DialogTest.h"
#include "tests/zab/CProbeElement.h"
#include "tests/zab/CProbeEngine.h"
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABDialog.h"
#include <uxtheme.h>

namespace {

// Records what the dialog manager asked of it; refuses the first
// `refusals` accepts.
class CTestDialog : public CZABDialog {
public:
    CTestDialog(CZABEngine* engine, int refusals = 0)
        : CZABDialog(nullptr, engine), m_refusals(refusals) {}
    void OnInitDialog() override {
        CZABDialog::OnInitDialog();
        ++inits;
    }
    BOOL OnClose(int reason) override {
        reasons.push_back(reason);
        if (reason == 1 && m_refusals > 0) {
            --m_refusals;
            return FALSE;
        }
        return TRUE;
    }
    int inits = 0;
    std::vector<int> reasons;

private:
    int m_refusals;
};

using Driver = CDialogDriver;

// A subclass whose code fails in one of the hooks, as code that runs out of
// memory would.
class CThrowingDialog : public CTestDialog {
public:
    enum Where { kInit, kClose, kCommand };
    CThrowingDialog(CZABEngine* engine, Where where) : CTestDialog(engine), m_where(where) {}
    void OnInitDialog() override {
        CTestDialog::OnInitDialog();
        if (m_where == kInit) throw std::runtime_error("init");
    }
    BOOL OnClose(int reason) override {
        if (m_where == kClose) throw std::bad_alloc();
        return CTestDialog::OnClose(reason);
    }
    LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override {
        if (m_where == kCommand) throw 7;
        return 0;
    }

private:
    Where m_where;
};

RECT ScreenRect(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A window's rectangle in the client coordinates of `dialog`.
RECT RectIn(HWND dialog, HWND window) {
    RECT rect = ScreenRect(window);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DialogUnits(HWND window, int x, int y, int cx, int cy) {
    RECT rect = {x, y, cx, cy};
    ::MapDialogRect(window, &rect);
    return rect;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

const wchar_t kSmall[] =
    L"<dialog caption='Small' width='300' height='200'>"
    L"<probe id='p' window='true' minwidth='120' minheight='40'/></dialog>";

class Dialogs : public DialogTest {
protected:
    INT_PTR Run(CTestDialog& dialog, const std::wstring& text, std::vector<Driver::Step> steps,
                HWND owner = nullptr) {
        return RunDialog(dialog, text, std::move(steps), owner);
    }
};

TEST_F(Dialogs, EnterAcceptsEscapeAndTheCloseBoxCancelAndARefusalKeepsItOpen) {
    CTestDialog entered(&engine);
    EXPECT_EQ(1, Run(entered, kSmall, {WhenShown(entered, [](HWND w) { Key(w, VK_RETURN); })}));
    EXPECT_EQ(std::vector<int>{1}, entered.reasons);
    EXPECT_EQ(1, entered.inits);

    CTestDialog escaped(&engine);
    EXPECT_EQ(2, Run(escaped, kSmall, {WhenShown(escaped, [](HWND w) { Key(w, VK_ESCAPE); })}));
    EXPECT_EQ(std::vector<int>{2}, escaped.reasons);

    CTestDialog closed(&engine);
    EXPECT_EQ(2, Run(closed, kSmall, {WhenShown(closed, [](HWND w) {
                                          ::PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                                      })}));
    EXPECT_EQ(std::vector<int>{0}, closed.reasons);

    // The refused accept leaves the same window up; Escape then ends it.
    CTestDialog refusing(&engine, 1);
    HWND first = nullptr;
    bool stillUp = false;
    INT_PTR result = Run(refusing, kSmall,
                         {WhenShown(refusing, [&](HWND w) {
                              first = w;
                              Key(w, VK_RETURN);
                          }),
                          [&] {
                              if (refusing.reasons.empty()) return false;
                              stillUp = ::IsWindow(first) && ::IsWindowVisible(first) &&
                                        refusing.GetWindow() == first;
                              Key(first, VK_ESCAPE);
                              return true;
                          }});
    EXPECT_EQ(2, result);
    EXPECT_TRUE(stillUp);
    EXPECT_EQ((std::vector<int>{1, 2}), refusing.reasons);
    EXPECT_EQ(1, refusing.inits);
}

TEST_F(Dialogs, WindowIsItsContentsMinimumPlusFrameWithControlsLaidOut) {
    // The caption comes from the string table and is far longer than any
    // fixed template would hold.
    std::wstring caption(3000, L'c');
    caption += L"\u00E9nd";
    TempFolder rows;
    std::wstring table = L"<strings><string id='dlg' attr='caption' loc='" + caption +
                         L"'/></strings>";
    ASSERT_TRUE(engine.LoadStrings(rows.WriteUtf16(L"rows.xml", table).c_str()));
    CTestDialog dialog(&engine);
    RECT client = {}, frame = {}, mapped = {}, wide = {}, line = {}, ok = {}, cancel = {};
    SIZE minimum = {};
    std::wstring shownCaption;
    Run(dialog,
        L"<dialog caption='Short' locid='dlg' orient='vertical' width='500' height='400'>"
        L"<probe id='wide' window='true' minwidth='300' minheight='50'/>"
        L"<probe id='line' window='true' minwidth='10' minheight='2'/>"
        L"<hbox columns='3'><spacer hFlex='1'/>"
        L"<probe id='ok' window='true' minwidth='75' minheight='23'/>"
        L"<probe id='cancel' window='true' minwidth='75' minheight='23'/></hbox>"
        L"</dialog>",
        {WhenShown(dialog, [&](HWND w) {
            ::GetClientRect(w, &client);
            frame = ScreenRect(w);
            mapped = DialogUnits(w, 4, 4, 7, 7);
            dialog.GetMinSize(&minimum);
            wide = RectIn(w, dialog.FindById(L"wide")->GetWindow());
            line = RectIn(w, dialog.FindById(L"line")->GetWindow());
            ok = RectIn(w, dialog.FindById(L"ok")->GetWindow());
            cancel = RectIn(w, dialog.FindById(L"cancel")->GetWindow());
            shownCaption.resize(4000);
            shownCaption.resize(::GetWindowTextW(w, &shownCaption[0], 4000));
            Key(w, VK_ESCAPE);
        })});
    EXPECT_EQ(caption, shownCaption);
    const int spaceX = mapped.left, spaceY = mapped.top;
    const int marginX = mapped.right, marginY = mapped.bottom;
    ASSERT_GT(spaceX, 0);
    ASSERT_GT(marginY, 0);
    // Client area: margins around 300 wide and three rows; "width" and
    // "height" of the document play no part.
    EXPECT_EQ(marginX + 300 + marginX, client.right);
    EXPECT_EQ(marginY + 50 + spaceY + 2 + spaceY + 23 + marginY, client.bottom);
    EXPECT_EQ(minimum.cx, client.right);
    EXPECT_EQ(minimum.cy, client.bottom);
    EXPECT_EQ((RECT{marginX, marginY, marginX + 300, marginY + 50}), wide);
    // The line spans the column; the buttons sit at the right edge.
    const int lineTop = marginY + 50 + spaceY;
    EXPECT_EQ((RECT{marginX, lineTop, marginX + 300, lineTop + 2}), line);
    const int rowTop = lineTop + 2 + spaceY;
    EXPECT_EQ((RECT{marginX + 300 - 75, rowTop, marginX + 300, rowTop + 23}), cancel);
    EXPECT_EQ((RECT{marginX + 300 - 75 - spaceX - 75, rowTop, marginX + 300 - 75 - spaceX,
                    rowTop + 23}),
              ok);
    EXPECT_GT(frame.right - frame.left, client.right);
}

// Text as the controls measure it: the stock GUI font, edit-control rules.
SIZE TextSize(const wchar_t* text, int wrap = 0) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, wrap ? wrap : 3, 3};
    ::DrawTextW(dc, text, -1, &rect,
                DT_CALCRECT | DT_EDITCONTROL | (wrap ? DT_WORDBREAK : 0));
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(Dialogs, ControlsMeasureTheirMinimumOnTheDialog) {
    CTestDialog dialog(&engine);
    std::vector<SIZE> sizes;
    RECT units = {}, more = {};
    const wchar_t* ids[] = {L"ok", L"long", L"fixed", L"wrapped", L"five", L"ten",
                            L"combo", L"list", L"check", L"vline"};
    Run(dialog,
        L"<dialog orient='vertical'>"
        L"<button id='ok' label='OK' minwidth='500'/>"
        L"<button id='long' label='A button text far wider than fifty dialog units'/>"
        L"<button id='fixed' label='x' width='80' height='20'/>"
        L"<label id='wrapped' width='40' value='several words that wrap into a few lines'/>"
        L"<textbox id='five' size='5'/><textbox id='ten'/>"
        L"<combobox id='combo'><listitem label='short'/><listitem label='the widest item'/></combobox>"
        L"<listbox id='list'/><checkbox id='check' label='Check me'/><line id='vline' type='EtchedVert'/>"
        L"</dialog>",
        {WhenShown(dialog, [&](HWND w) {
            units = DialogUnits(w, 50, 14, 80, 20);
            more = DialogUnits(w, 1, 10, 48, 40);
            for (const wchar_t* id : ids) {
                SIZE size = {};
                dialog.FindById(id)->GetMinSize(&size);
                sizes.push_back(size);
            }
            Key(w, VK_ESCAPE);
        })});
    ASSERT_EQ(10u, sizes.size());
    const int x50 = units.left, y14 = units.top;
    // Short texts get 50 dialog units; a document's "minwidth" is replaced.
    EXPECT_EQ(x50, sizes[0].cx);
    EXPECT_EQ(y14, sizes[0].cy);
    const SIZE longText = TextSize(L"A button text far wider than fifty dialog units");
    ASSERT_GT(longText.cx + 12, x50);
    EXPECT_EQ(longText.cx + 12, sizes[1].cx);
    EXPECT_EQ(units.right, sizes[2].cx);
    EXPECT_EQ(units.bottom, sizes[2].cy);
    // Wrapped within 40 units: several lines.
    EXPECT_GT(sizes[3].cy, 2 * TextSize(L"W").cy);
    EXPECT_EQ(TextSize(L"WWWWW").cx + 6, sizes[4].cx);
    EXPECT_EQ(TextSize(L"WWWWWWWWWW").cx + 6, sizes[5].cx);
    EXPECT_EQ(y14, sizes[5].cy);
    EXPECT_EQ(TextSize(L"the widest item").cx + 26, sizes[6].cx);
    // A list box without items: 48 by 40 units.
    EXPECT_EQ(more.right, sizes[7].cx);
    EXPECT_EQ(more.bottom, sizes[7].cy);
    EXPECT_EQ(more.top + more.left + TextSize(L"Check me").cx, sizes[8].cx);
    EXPECT_EQ(more.top, sizes[8].cy);
    EXPECT_EQ(y14, sizes[9].cy);
    EXPECT_LT(sizes[9].cx, sizes[9].cy);
}

TEST_F(Dialogs, PlacedAtTheOwnersCornerInsideTheWorkAreaOrCentred) {
    mx::unique_hwnd owner(::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0,
                                            200, 150, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    const RECT work = WorkAreaOf(owner.get());
    struct Case {
        POINT ownerAt;
        bool centred;
        const wchar_t* text;
    };
    const std::wstring plain = kSmall;
    const std::wstring centred =
        L"<dialog centerScreen='TRUE'><probe window='true' minwidth='120' minheight='40'/></dialog>";
    // Larger than the work area: its caption bar stays on screen.
    const std::wstring huge = L"<dialog centerScreen='true'><probe window='true' minwidth='" +
                              std::to_wstring(work.right - work.left + 200) + L"' minheight='" +
                              std::to_wstring(work.bottom - work.top + 200) + L"'/></dialog>";
    const Case cases[] = {
        {{work.left + 100, work.top + 120}, false, plain.c_str()},
        {{work.right - 10, work.bottom - 10}, false, plain.c_str()},
        {{work.left - 300, work.top - 250}, false, plain.c_str()},
        {{work.right - 10, work.bottom - 10}, true, centred.c_str()},
        {{work.left + 100, work.top + 120}, true, huge.c_str()},
    };
    for (const Case& c : cases) {
        ::SetWindowPos(owner.get(), nullptr, c.ownerAt.x, c.ownerAt.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CTestDialog dialog(&engine);
        RECT at = {};
        Run(dialog, c.text, {WhenShown(dialog, [&](HWND w) {
                                 at = ScreenRect(w);
                                 Key(w, VK_ESCAPE);
                             })},
            owner.get());
        const int width = at.right - at.left, height = at.bottom - at.top;
        ASSERT_GT(width, 120);
        if (c.text == huge.c_str()) {
            EXPECT_GT(width, work.right - work.left);
        }
        int x = c.ownerAt.x, y = c.ownerAt.y;
        if (c.centred) {
            x = work.left + (work.right - work.left) / 2 - width / 2;
            y = work.top + (work.bottom - work.top) / 2 - height / 2;
        }
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
        EXPECT_EQ(x, at.left) << c.ownerAt.x << "," << c.ownerAt.y << " centred " << c.centred;
        EXPECT_EQ(y, at.top) << c.ownerAt.x << "," << c.ownerAt.y << " centred " << c.centred;
    }

    // Without an owner there is no corner to start from: centred.
    CTestDialog lonely(&engine);
    RECT at = {};
    Run(lonely, plain, {WhenShown(lonely, [&](HWND w) {
                            at = ScreenRect(w);
                            Key(w, VK_ESCAPE);
                        })});
    const RECT primary = WorkAreaOf(nullptr);
    EXPECT_EQ(primary.left + (primary.right - primary.left) / 2 - (at.right - at.left) / 2, at.left);
    EXPECT_EQ(primary.top + (primary.bottom - primary.top) / 2 - (at.bottom - at.top) / 2, at.top);
}

TEST_F(Dialogs, TabPanelIsAChildDialogWhoseAcceptEndsTheDialogAroundIt) {
    CTestDialog dialog(&engine);
    HWND panel = nullptr, probe = nullptr, probeParent = nullptr, panelParent = nullptr;
    LONG_PTR exStyle = 0, style = 0;
    BOOL texture = FALSE, dialogTexture = TRUE;
    RECT panelMargins = {}, probeRect = {}, panelRect = {};
    INT_PTR result = Run(dialog,
        L"<dialog><tabpanel id='panel' label='Page'>"
        L"<probe id='inside' window='true' minwidth='60' minheight='20'/>"
        L"</tabpanel></dialog>",
        {WhenShown(dialog, [&](HWND w) {
            panel = dialog.FindById(L"panel")->GetWindow();
            probe = dialog.FindById(L"inside")->GetWindow();
            probeParent = ::GetParent(probe);
            panelParent = ::GetParent(panel);
            exStyle = ::GetWindowLongPtrW(panel, GWL_EXSTYLE);
            style = ::GetWindowLongPtrW(panel, GWL_STYLE);
            texture = ::IsThemeDialogTextureEnabled(panel);
            dialogTexture = ::IsThemeDialogTextureEnabled(w);
            panelMargins = DialogUnits(panel, 7, 7, 7, 7);
            probeRect = RectIn(panel, probe);
            panelRect = RectIn(w, panel);
            // An accept from inside the page ends the whole dialog.
            ::PostMessageW(panel, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        })});
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::vector<int>{1}, dialog.reasons);
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel, probeParent);
    EXPECT_EQ(dialog.GetWindow(), panelParent);
    EXPECT_TRUE(exStyle & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(texture);
    EXPECT_FALSE(dialogTexture);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, style & (WS_CHILD | WS_VISIBLE | WS_POPUP));
    // The control sits inside the panel's own margins, the panel inside the dialog's.
    EXPECT_EQ((RECT{panelMargins.left, panelMargins.top, panelMargins.left + 60,
                    panelMargins.top + 20}),
              probeRect);
    EXPECT_EQ(panelMargins.left + 60 + panelMargins.right, panelRect.right - panelRect.left);
    EXPECT_EQ(panelMargins.top + 20 + panelMargins.bottom, panelRect.bottom - panelRect.top);
}

TEST_F(Dialogs, DocumentsThatCannotBeLoadedShowNothing) {
    for (const std::wstring& text : {std::wstring(L"<dialog><box></dialog>"),
                                     std::wstring(L"<window><spacer/></window>"),
                                     std::wstring(L"not xml at all")}) {
        CTestDialog dialog(&engine);
        EXPECT_EQ(0, dialog.DoModal(::GetModuleHandleW(nullptr), Document(text).c_str(), nullptr));
        EXPECT_EQ(0, dialog.inits);
    }
    CTestDialog missing(&engine);
    EXPECT_EQ(0, missing.DoModal(::GetModuleHandleW(nullptr),
                                 (folder.path() + L"\\absent.xml").c_str(), nullptr));
    EXPECT_EQ(0, missing.DoModal(::GetModuleHandleW(nullptr), nullptr, nullptr));
    EXPECT_EQ(0, missing.inits);
}

TEST_F(Dialogs, FailingHooksEndTheDialogAsOneThatCouldNotBeShown) {
    CThrowingDialog init(&engine, CThrowingDialog::kInit);
    EXPECT_EQ(0, Run(init, kSmall, {}));
    EXPECT_EQ(1, init.inits);

    // The owner the dialog disabled is the user's again.
    mx::unique_hwnd owner(::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0,
                                            200, 150, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    CThrowingDialog close(&engine, CThrowingDialog::kClose);
    bool ownerDisabled = false;
    EXPECT_EQ(0, Run(close, kSmall, {WhenShown(close, [&](HWND w) {
                                         ownerDisabled = !::IsWindowEnabled(owner.get());
                                         Key(w, VK_RETURN);
                                     })},
                     owner.get()));
    EXPECT_FALSE(::IsWindow(close.GetWindow()));
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));

    CThrowingDialog command(&engine, CThrowingDialog::kCommand);
    EXPECT_EQ(0, Run(command, kSmall, {WhenShown(command, [](HWND w) {
                                           ::PostMessageW(w, WM_COMMAND, 77, 0);
                                       })}));
    EXPECT_FALSE(::IsWindow(command.GetWindow()));
}

TEST_F(Dialogs, DeepestAndLargestTreesTheEngineTakesRunAsDialogs) {
    // Every page a child dialog made from inside the making of the page
    // around it. The system may refuse windows nested that deep (Wine makes
    // 64): the pages it makes nest in order, the dialog runs and ends, and the
    // making of the control in the deepest page stays well within the
    // smallest stack a thread gets by default (1 MB).
    const int depth = CZABElement::kMaxDepth - 1;
    std::wstring nested = L"<dialog>";
    for (int i = 0; i < depth; ++i) {
        nested += L"<tabpanel label='page'><probe window='true' minwidth='30' minheight='10'/>";
    }
    for (int i = 0; i < depth; ++i) nested += L"</tabpanel>";
    nested += L"</dialog>";
    char base = 0;
    CTestDialog deep(&engine);
    int made = 0;
    bool inOrder = true;
    CProbeElement* deepest = nullptr;
    EXPECT_EQ(2, Run(deep, nested, {WhenShown(deep, [&](HWND w) {
                                        HWND outer = w;
                                        for (CZABElement* page = deep.GetChild(0);
                                             page && page->GetWindow(); page = page->GetChild(1)) {
                                            inOrder = inOrder && ::GetParent(page->GetWindow()) == outer;
                                            outer = page->GetWindow();
                                            deepest = static_cast<CProbeElement*>(page->GetChild(0));
                                            ++made;
                                        }
                                        Key(w, VK_ESCAPE);
                                    })}));
    EXPECT_GT(made, 8);
    EXPECT_TRUE(inOrder);
    ASSERT_TRUE(deepest);
    ASSERT_NE(0u, deepest->GetStackAtCreate());
    const uintptr_t used = reinterpret_cast<uintptr_t>(&base) - deepest->GetStackAtCreate();
    EXPECT_LT(used, 512u * 1024) << made << " pages";

    // Controls inside controls, each window a child of the one around it.
    std::wstring labels = L"<dialog>";
    for (int i = 0; i < depth; ++i) labels += L"<label value='x'>";
    for (int i = 0; i < depth; ++i) labels += L"</label>";
    labels += L"</dialog>";
    CTestDialog inside(&engine);
    int windows = 0;
    EXPECT_EQ(2, Run(inside, labels, {WhenShown(inside, [&](HWND w) {
                                          HWND outer = w;
                                          for (CZABElement* e = inside.GetChild(0);
                                               e && ::GetParent(e->GetWindow()) == outer;
                                               e = e->GetChild(0)) {
                                              outer = e->GetWindow();
                                              ++windows;
                                          }
                                          Key(w, VK_ESCAPE);
                                      })}));
    EXPECT_EQ(depth, windows);

    // As many controls as a document may hold.
    std::wstring wide = L"<dialog columns='64'>";
    for (int i = 1; i < CZABElement::kMaxElements; ++i) wide += L"<label value='x'/>";
    wide += L"</dialog>";
    CTestDialog many(&engine);
    HWND last = nullptr;
    RECT lastRect = {};
    EXPECT_EQ(2, Run(many, wide, {WhenShown(many, [&](HWND w) {
                                      last = many.GetChild(many.GetChildCount() - 1)->GetWindow();
                                      lastRect = RectIn(w, last);
                                      Key(w, VK_ESCAPE);
                                  })}));
    EXPECT_EQ(CZABElement::kMaxElements - 1, many.GetChildCount());
    EXPECT_TRUE(last);
    EXPECT_GT(lastRect.top, 0);
}

// Language documents lie where anyone who may write there can change them.
// One with a document type, one too large, one with a million rows: none of
// them changes the table, and a dialog still shows the texts it had.
TEST_F(Dialogs, HostileLanguageDocumentsLeaveTheTextsAsTheyWere) {
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"good.xml",
        "<strings><string id='greet' attr='value' loc='Guten Tag'/></strings>").c_str()));
    const std::string withType =
        "<?xml version='1.0'?><!DOCTYPE strings [<!ENTITY g 'Hallo'>]>"
        "<strings><string id='greet' attr='value' loc='&g;'/></strings>";
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"type8.xml", withType).c_str()));
    EXPECT_FALSE(engine.LoadStrings(
        folder.WriteUtf16(L"type16.xml", std::wstring(withType.begin(), withType.end())).c_str()));
    // Just over the bound, with one row and a long comment.
    std::string large = "<strings><string id='greet' attr='value' loc='Gross'/><!--";
    large.append(CZABEngine::kMaxLanguageBytes + 1 - large.size() - 13, 'x');
    large += "--></strings>";
    ASSERT_EQ(CZABEngine::kMaxLanguageBytes + 1, large.size());
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"large.xml", large).c_str()));
    std::string million = "<strings>";
    for (int i = 0; i < 1000000; ++i) million += "<string id='r'/>";
    million += "</strings>";
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"million.xml", million).c_str()));
    EXPECT_EQ(1, engine.GetStringCount());

    // As many rows as fit within the size bound: the table stops at its own.
    std::string many = "<strings>";
    while (many.size() + 40 < CZABEngine::kMaxLanguageBytes) many += "<string id='r' loc='row'/>";
    many += "</strings>";
    EXPECT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"many.xml", many).c_str()));
    EXPECT_EQ(static_cast<int>(CZABEngine::kMaxStrings), engine.GetStringCount());

    CTestDialog dialog(&engine);
    std::wstring shown;
    EXPECT_EQ(2, Run(dialog, L"<dialog><label id='l' value='Hello' locid='greet'/></dialog>",
                     {WhenShown(dialog, [&](HWND w) {
                         WCHAR text[64] = L"";
                         ::GetWindowTextW(dialog.FindById(L"l")->GetWindow(), text, 64);
                         shown = text;
                         Key(w, VK_ESCAPE);
                     })}));
    EXPECT_EQ(L"Guten Tag", shown);
}

}  // namespace
