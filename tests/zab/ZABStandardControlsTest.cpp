// The standard controls in real modal dialogs under Wine: the windows they
// make, the values they exchange, and the file dialog a button opens, driven
// from a timer as a user would drive them.
#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>
#include "base/Unique.h"
#include "tests/zab/DialogTest.h"
#include "zab/CZABComboBox.h"
#include "zab/CZABSelectFile.h"

namespace {

// Records the commands that reach the dialog unhandled.
class CCommandDialog : public CZABDialog {
public:
    explicit CCommandDialog(CZABEngine* engine) : CZABDialog(nullptr, engine) {}
    LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override {
        if (element) commands.push_back(element->GetId() ? element->GetId() : L"");
        return 0;
    }
    std::vector<std::wstring> commands;
};

LONG_PTR StyleOf(HWND window) {
    return ::GetWindowLongPtrW(window, GWL_STYLE);
}

std::wstring TextOf(HWND window) {
    std::wstring text(::GetWindowTextLengthW(window) + 1, L'\0');
    text.resize(::GetWindowTextW(window, &text[0], static_cast<int>(text.size())));
    return text;
}

std::wstring Text(const wchar_t* text) {
    return text ? text : L"(none)";
}

// The items of a combo box as it lists them.
std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) + 1, L'\0');
        item.resize(::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&item[0])));
        items.push_back(item);
    }
    return items;
}

class StandardControls : public DialogTest {
protected:
    HWND WindowOf(CZABDialog& dialog, const wchar_t* id) {
        CZABElement* element = dialog.FindById(id);
        return element ? element->GetWindow() : nullptr;
    }
};

TEST_F(StandardControls, AcceptIsTheDefaultButtonWithIdOneAndHelpAPlainOneWithIdZero) {
    CCommandDialog dialog(&engine);
    int acceptId = -1, cancelId = -1, helpId = -1;
    LONG_PTR acceptStyle = 0, helpStyle = 0;
    INT_PTR result = RunDialog(
        dialog,
        L"<dialog><button id='help' label='Help' dlgType='help'/>"
        L"<button id='ok' label='OK' dlgType='accept'/>"
        L"<button id='cancel' label='Cancel' dlgType='cancel'/></dialog>",
        {WhenShown(dialog,
                   [&](HWND w) {
                       HWND ok = WindowOf(dialog, L"ok"), help = WindowOf(dialog, L"help");
                       acceptId = ::GetDlgCtrlID(ok);
                       cancelId = ::GetDlgCtrlID(WindowOf(dialog, L"cancel"));
                       helpId = ::GetDlgCtrlID(help);
                       acceptStyle = StyleOf(ok);
                       helpStyle = StyleOf(help);
                       ::PostMessageW(help, BM_CLICK, 0, 0);
                   }),
         // The help button's click reaches the dialog; then the accept button ends it.
         [&] {
             if (dialog.commands.empty()) return false;
             ::PostMessageW(WindowOf(dialog, L"ok"), BM_CLICK, 0, 0);
             return true;
         }});
    EXPECT_EQ(1, result);
    EXPECT_EQ(1, acceptId);
    EXPECT_EQ(2, cancelId);
    EXPECT_EQ(0, helpId);
    EXPECT_EQ(BS_DEFPUSHBUTTON, acceptStyle & BS_TYPEMASK);
    EXPECT_EQ(BS_PUSHBUTTON, helpStyle & BS_TYPEMASK);
    EXPECT_TRUE(acceptStyle & WS_TABSTOP);
    EXPECT_EQ(std::vector<std::wstring>{L"help"}, dialog.commands);
}

TEST_F(StandardControls, ComboAndListBoxesKeepTheAddedOrderOnlyWhenSortedAndTellValues) {
    CCommandDialog dialog(&engine);
    std::vector<std::wstring> sorted, platform;
    int before = -1, chosen = -1, unknown = -1, added = -1;
    int listBefore = 0, listChosen = 0, severalBefore = 0, severalChosen = 0, droppedRows = 0;
    RECT field = {};
    const wchar_t* editText = L"x";
    const wchar_t* fixedText = L"x";
    std::wstring edited;
    RunDialog(dialog,
              L"<dialog>"
              L"<combobox id='sorted' sorted='true'><listitem label='pear' value='1'/>"
              L"<listitem label='apple' value='2'/><listitem label='fig' value='3'/></combobox>"
              L"<combobox id='platform'><listitem label='pear' value='1'/>"
              L"<listitem label='apple' value='2'/><listitem label='fig' value='3'/></combobox>"
              L"<combobox id='edit' editable='true'/>"
              L"<listbox id='list'><listitem label='one' value='1'/><listitem label='two' value='2'/>"
              L"</listbox><listbox id='several' selection='multiple'>"
              L"<listitem label='one' value='1'/><listitem label='two' value='2'/></listbox>"
              L"</dialog>",
              {WhenShown(dialog, [&](HWND w) {
                  CZABElement* list = dialog.FindById(L"list");
                  listBefore = list->GetValue();
                  list->SetValue(2);
                  listChosen = list->GetValue();
                  CZABElement* several = dialog.FindById(L"several");
                  severalBefore = several->GetValue();
                  several->SetValue(2);
                  severalChosen = several->GetValue();
                  auto* combo = static_cast<CZABComboBox*>(dialog.FindById(L"sorted"));
                  combo->AddItem(7, L"banana");
                  sorted = ComboItems(combo->GetWindow());
                  platform = ComboItems(WindowOf(dialog, L"platform"));
                  // All three items show when the list drops down.
                  HWND drop = WindowOf(dialog, L"platform");
                  ::SendMessageW(drop, CB_SHOWDROPDOWN, TRUE, 0);
                  COMBOBOXINFO info = {sizeof(info)};
                  ::GetComboBoxInfo(drop, &info);
                  RECT shown = {};
                  ::GetClientRect(info.hwndList, &shown);
                  droppedRows = shown.bottom / std::max<int>(1, ::SendMessageW(drop, CB_GETITEMHEIGHT, 0, 0));
                  ::GetWindowRect(drop, &field);
                  ::SendMessageW(drop, CB_SHOWDROPDOWN, FALSE, 0);
                  before = combo->GetValue();
                  combo->SetValue(3);
                  chosen = combo->GetValue();
                  combo->SetValue(99);
                  unknown = combo->GetValue();
                  combo->SetValue(7);
                  added = combo->GetValue();
                  fixedText = combo->GetText();
                  CZABElement* edit = dialog.FindById(L"edit");
                  edit->SetText(L"typed");
                  edited = Text(edit->GetText());
                  edit->SetText(nullptr);
                  editText = edit->GetText();
                  Key(w, VK_ESCAPE);
              })});
    EXPECT_EQ((std::vector<std::wstring>{L"pear", L"apple", L"fig", L"banana"}), sorted);
    EXPECT_EQ((std::vector<std::wstring>{L"apple", L"fig", L"pear"}), platform);
    EXPECT_EQ(3, droppedRows);
    // The window itself stays as high as its field: it covers nothing below.
    EXPECT_LT(field.bottom - field.top, 40);
    EXPECT_EQ(0, before);
    EXPECT_EQ(-1, listBefore);
    EXPECT_EQ(-1, severalBefore);
    EXPECT_EQ(2, listChosen);
    EXPECT_EQ(2, severalChosen);
    EXPECT_EQ(3, chosen);
    EXPECT_EQ(3, unknown);
    EXPECT_EQ(7, added);
    EXPECT_EQ(nullptr, fixedText);
    EXPECT_EQ(L"typed", edited);
    EXPECT_EQ(nullptr, editText);
}

TEST_F(StandardControls, TextBoxReadsItsLeadingNumberAndItsSpinWritesPlainDigits) {
    CCommandDialog dialog(&engine);
    int letters = -1, empty = -1, initial = -1, stepped = -1;
    const wchar_t* emptyText = L"x";
    std::wstring written, limited;
    HWND spinBuddy = nullptr, edit = nullptr;
    RunDialog(dialog,
              L"<dialog><textbox id='n' value='41' numberonly='true'>"
              L"<spin id='spin' lower='0' upper='5000'/></textbox>"
              L"<textbox id='short' maxlength='3'/></dialog>",
              {WhenShown(dialog,
                         [&](HWND w) {
                             CZABElement* box = dialog.FindById(L"n");
                             edit = box->GetWindow();
                             spinBuddy = reinterpret_cast<HWND>(
                                 ::SendMessageW(WindowOf(dialog, L"spin"), UDM_GETBUDDY, 0, 0));
                             initial = box->GetValue();
                             box->SetText(L"12abc");
                             letters = box->GetValue();
                             box->SetText(L"");
                             empty = box->GetValue();
                             emptyText = box->GetText();
                             box->SetValue(1999);
                             ::SetFocus(edit);
                             Key(edit, VK_UP);
                             // The limit holds what is typed.
                             HWND shortBox = WindowOf(dialog, L"short");
                             for (wchar_t c : std::wstring(L"abcdef")) {
                                 ::PostMessageW(shortBox, WM_CHAR, c, 1);
                             }
                         }),
               [&] {
                   CZABElement* box = dialog.FindById(L"n");
                   if (box->GetValue() == 1999) return false;
                   stepped = box->GetValue();
                   written = Text(box->GetText());
                   limited = Text(dialog.FindById(L"short")->GetText());
                   Key(dialog.GetWindow(), VK_ESCAPE);
                   return true;
               }});
    EXPECT_EQ(edit, spinBuddy);
    EXPECT_EQ(41, initial);
    EXPECT_EQ(12, letters);
    EXPECT_EQ(0, empty);
    EXPECT_EQ(nullptr, emptyText);
    EXPECT_EQ(2000, stepped);
    EXPECT_EQ(L"2000", written);
    EXPECT_EQ(L"abc", limited);
}

TEST_F(StandardControls, ChecksAndRadiosStartAsTheDocumentSaysAndRadioGroupsTellTheirValue) {
    CCommandDialog dialog(&engine);
    int checked = -1, plain = -1, selected = -1, groupBefore = -1, groupAfter = -1, groupNone = -1;
    std::vector<int> states;
    LONG_PTR first = 0, second = 0, afterLabel = 0;
    RunDialog(dialog,
              L"<dialog orient='vertical'>"
              L"<checkbox id='on' label='On' checked='true'/><checkbox id='off' label='Off'/>"
              L"<radiogroup id='g'><radio id='r1' label='One' value='1'/>"
              L"<radio id='r2' label='Two' value='2' selected='true'/>"
              L"<radio id='r3' label='Three' value='3'/></radiogroup>"
              L"<radiogroup id='h'><label value='Pick:'/><radio id='h1' label='A' value='1'/>"
              L"</radiogroup></dialog>",
              {WhenShown(dialog, [&](HWND w) {
                  checked = dialog.FindById(L"on")->GetValue();
                  plain = dialog.FindById(L"off")->GetValue();
                  selected = dialog.FindById(L"r2")->GetValue();
                  first = StyleOf(WindowOf(dialog, L"r1"));
                  second = StyleOf(WindowOf(dialog, L"r2"));
                  afterLabel = StyleOf(WindowOf(dialog, L"h1"));
                  CZABElement* group = dialog.FindById(L"g");
                  groupBefore = group->GetValue();
                  group->SetValue(3);
                  groupAfter = group->GetValue();
                  for (const wchar_t* id : {L"r1", L"r2", L"r3"}) {
                      states.push_back(dialog.FindById(id)->GetValue());
                  }
                  group->SetValue(4);
                  groupNone = group->GetValue();
                  Key(w, VK_ESCAPE);
              })});
    EXPECT_EQ(BST_CHECKED, checked);
    EXPECT_EQ(BST_UNCHECKED, plain);
    EXPECT_EQ(BST_CHECKED, selected);
    EXPECT_TRUE(first & WS_GROUP);
    EXPECT_FALSE(second & WS_GROUP);
    EXPECT_FALSE(afterLabel & WS_GROUP);
    EXPECT_EQ(2, groupBefore);
    EXPECT_EQ(3, groupAfter);
    EXPECT_EQ((std::vector<int>{0, 0, 1}), states);
    EXPECT_EQ(0, groupNone);
}

TEST_F(StandardControls, GroupBoxFramesItsChildrenWhichComeBeforeItAndHiddenOrDisabledInherit) {
    CCommandDialog dialog(&engine);
    RECT frame = {}, inside = {}, units = {};
    HWND afterChild = nullptr, frameWindow = nullptr;
    bool hiddenShown = true, disabledEnabled = true;
    RunDialog(dialog,
              L"<dialog orient='vertical'><groupbox id='frame' label='Frame'>"
              L"<checkbox id='inside' label='Inside'/></groupbox>"
              L"<box hidden='true'><checkbox id='hidden' label='Hidden'/></box>"
              L"<box disabled='true'><textbox id='disabled'/></box></dialog>",
              {WhenShown(dialog, [&](HWND w) {
                  frameWindow = WindowOf(dialog, L"frame");
                  HWND child = WindowOf(dialog, L"inside");
                  ::GetWindowRect(frameWindow, &frame);
                  ::GetWindowRect(child, &inside);
                  units = {7, 11, 8, 7};  // the frame's margins
                  ::MapDialogRect(w, &units);
                  afterChild = ::GetWindow(child, GW_HWNDNEXT);
                  hiddenShown = ::IsWindowVisible(WindowOf(dialog, L"hidden"));
                  disabledEnabled = ::IsWindowEnabled(WindowOf(dialog, L"disabled"));
                  Key(w, VK_ESCAPE);
              })});
    EXPECT_EQ(units.left, inside.left - frame.left);
    EXPECT_EQ(units.top, inside.top - frame.top);
    EXPECT_LE(units.right, frame.right - inside.right);
    EXPECT_LE(units.bottom, frame.bottom - inside.bottom);
    EXPECT_EQ(frameWindow, afterChild);
    EXPECT_FALSE(hiddenShown);
    EXPECT_FALSE(disabledEnabled);
}

TEST_F(StandardControls, TabBoxShowsThePanelOfTheSelectedTabInItsPageArea) {
    CCommandDialog dialog(&engine);
    bool firstShown = false, secondShown = true, switched = false;
    RECT page = {}, panel = {};
    RunDialog(dialog,
              L"<dialog><tabbox id='tabs'>"
              L"<tabpanel id='one' label='One'><label value='first page'/></tabpanel>"
              L"<tabpanel id='two' label='Two'><label value='second page'/></tabpanel>"
              L"</tabbox></dialog>",
              {WhenShown(dialog,
                         [&](HWND w) {
                             HWND tabs = WindowOf(dialog, L"tabs");
                             firstShown = ::IsWindowVisible(WindowOf(dialog, L"one"));
                             secondShown = ::IsWindowVisible(WindowOf(dialog, L"two"));
                             ::GetClientRect(tabs, &page);
                             ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
                             ::MapWindowPoints(tabs, w, reinterpret_cast<POINT*>(&page), 2);
                             ::GetWindowRect(WindowOf(dialog, L"two"), &panel);
                             ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&panel), 2);
                             // A click on the second tab, as the mouse makes it.
                             RECT tab = {};
                             ::SendMessageW(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
                             const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
                             ::PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
                             ::PostMessageW(tabs, WM_LBUTTONUP, 0, at);
                         }),
               [&] {
                   if (!::IsWindowVisible(WindowOf(dialog, L"two"))) return false;
                   switched = !::IsWindowVisible(WindowOf(dialog, L"one"));
                   Key(dialog.GetWindow(), VK_ESCAPE);
                   return true;
               }});
    EXPECT_TRUE(firstShown);
    EXPECT_FALSE(secondShown);
    EXPECT_TRUE(switched);
    EXPECT_EQ(page, panel);
}

TEST_F(StandardControls, MenuBarEntriesAreCommandsNumberedByPosition) {
    int count = 0, popupCount = 0;
    SIZE content = {};
    RECT client = {};
    UINT ids[3] = {};
    std::wstring label;
    std::vector<int> commands;
    class CMenuDialog : public CCommandDialog {
    public:
        using CCommandDialog::CCommandDialog;
        LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override {
            if (!element && !control) ids.push_back(id);
            return 0;
        }
        std::vector<int> ids;
    } menus(&engine);
    INT_PTR result = RunDialog(
        menus,
        L"<dialog><menubar><menupopup label='File'><menuitem label='Open'/><menuseparator/>"
        L"<menuitem label='Close'/></menupopup><menuitem label='Help'/><menuitem label='Run'/>"
        L"</menubar><label value='with a menu'/></dialog>",
        {WhenShown(menus,
                   [&](HWND w) {
                       menus.GetMinSize(&content);
                       ::GetClientRect(w, &client);
                       HMENU bar = ::GetMenu(w);
                       count = ::GetMenuItemCount(bar);
                       for (int i = 0; i < 3; ++i) ids[i] = ::GetMenuItemID(bar, i);
                       HMENU file = ::GetSubMenu(bar, 0);
                       popupCount = ::GetMenuItemCount(file);
                       wchar_t text[32] = {};
                       ::GetMenuStringW(file, 2, text, 32, MF_BYPOSITION);
                       label = text;
                       ::PostMessageW(w, WM_COMMAND, ::GetMenuItemID(file, 2), 0);
                       ::PostMessageW(w, WM_COMMAND, ids[2], 0);
                   }),
         [&] {
             if (menus.ids.size() < 2) return false;
             // The second entry's id is the cancel command's.
             ::PostMessageW(menus.GetWindow(), WM_COMMAND, ids[1], 0);
             return true;
         }});
    EXPECT_EQ(2, result);
    // The bar takes its room above the content, not from it.
    EXPECT_EQ(content.cx, client.right);
    EXPECT_EQ(content.cy, client.bottom);
    EXPECT_EQ(3, count);
    EXPECT_EQ(static_cast<UINT>(-1), ids[0]);  // a popup has no command of its own
    EXPECT_EQ(2u, ids[1]);
    EXPECT_EQ(3u, ids[2]);
    EXPECT_EQ(3, popupCount);
    EXPECT_EQ(L"Close", label);
    EXPECT_EQ((std::vector<int>{3, 3}), menus.ids);
}

TEST_F(StandardControls, ListsAndSlidersAreMadeWithTheirColumnsRowsAndRange) {
    CCommandDialog dialog(&engine);
    int fixedWidth = 0, flexWidth = 0, rows = 0, rowData = 0;
    int clientWidth = 0, low = -1, high = -1, pos = -1, moved = -1;
    std::wstring rowText;
    RunDialog(dialog,
              L"<dialog orient='vertical'>"
              L"<list id='list' view='report' width='200'><listcol caption='Fixed' size='40'/>"
              L"<listcol caption='A' flex='1'/><listcol caption='B' flex='3'/></list>"
              L"<checkslist id='checks'><checkitem label='first' value='5'/>"
              L"<checkitem label='second' value='6'/></checkslist>"
              L"<slider id='slider' minValue='-5' maxValue='20' pos='12'/></dialog>",
              {WhenShown(dialog, [&](HWND w) {
                  HWND list = WindowOf(dialog, L"list");
                  RECT client = {};
                  ::GetClientRect(list, &client);
                  clientWidth = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
                  fixedWidth = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
                  flexWidth = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0));
                  HWND checks = WindowOf(dialog, L"checks");
                  rows = static_cast<int>(::SendMessageW(checks, LVM_GETITEMCOUNT, 0, 0));
                  wchar_t text[32] = {};
                  LVITEMW item = {};
                  item.mask = LVIF_TEXT | LVIF_PARAM;
                  item.iItem = 1;
                  item.pszText = text;
                  item.cchTextMax = 32;
                  ::SendMessageW(checks, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
                  rowText = text;
                  rowData = static_cast<int>(item.lParam);
                  HWND slider = WindowOf(dialog, L"slider");
                  low = static_cast<int>(::SendMessageW(slider, TBM_GETRANGEMIN, 0, 0));
                  high = static_cast<int>(::SendMessageW(slider, TBM_GETRANGEMAX, 0, 0));
                  CZABElement* element = dialog.FindById(L"slider");
                  pos = element->GetValue();
                  element->SetValue(-3);
                  moved = element->GetValue();
                  Key(w, VK_ESCAPE);
              })});
    EXPECT_EQ(40, fixedWidth);
    EXPECT_EQ((clientWidth - 40) * 3 / 4, flexWidth);
    EXPECT_EQ(2, rows);
    EXPECT_EQ(L"second", rowText);
    EXPECT_EQ(6, rowData);
    EXPECT_EQ(-5, low);
    EXPECT_EQ(20, high);
    EXPECT_EQ(12, pos);
    EXPECT_EQ(-3, moved);
}

// The file dialog the "Browse" button opens: any dialog window of this
// thread other than the ZAB dialog.
HWND FindFileDialog(HWND zabDialog) {
    struct Search {
        HWND exclude;
        HWND found;
    } search = {zabDialog, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t name[16] = {};
            ::GetClassNameW(window, name, 16);
            if (window == s->exclude || !::IsWindowVisible(window) ||
                std::wstring(name) != L"#32770") {
                return TRUE;
            }
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Ids of the common file dialog's file name field and filter list.
const int kFileNameEdit = 0x480;
const int kFileNameCombo = 0x47C;
const int kFilterCombo = 0x470;

class SelectFile : public StandardControls {
protected:
    // Runs `document`; `prepare` runs once the dialog is up, then "browse" is
    // clicked, the file dialog handed to `use`, and once it is gone the text
    // of the element "name" read into `result` before Escape.
    void Browse(CZABDialog& dialog, const std::wstring& document, std::function<void()> prepare,
                std::function<void(HWND)> use, std::wstring& result) {
        HWND fileDialog = nullptr;
        RunDialog(dialog, document,
                  {WhenShown(dialog,
                             [&](HWND) {
                                 prepare();
                                 ::PostMessageW(WindowOf(dialog, L"browse"), BM_CLICK, 0, 0);
                             }),
                   [&] {
                       fileDialog = FindFileDialog(dialog.GetWindow());
                       if (!fileDialog) return false;
                       use(fileDialog);
                       return true;
                   },
                   [&] {
                       if (::IsWindow(fileDialog)) return false;
                       result = Text(dialog.FindById(L"name")->GetText());
                       Key(dialog.GetWindow(), VK_ESCAPE);
                       return true;
                   }});
    }
    static HWND FileNameField(HWND fileDialog) {
        HWND edit = ::GetDlgItem(fileDialog, kFileNameEdit);
        return edit ? edit : ::GetDlgItem(fileDialog, kFileNameCombo);
    }
    static void Choose(HWND fileDialog, const std::wstring& path) {
        ::SetWindowTextW(FileNameField(fileDialog), path.c_str());
        ::PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    static void Cancel(HWND fileDialog) {
        ::PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    static std::wstring Document(const wchar_t* box) {
        return std::wstring(L"<dialog>") + box +
               L"<button id='browse' label='Browse...'>"
               L"<selectfile id='file' saveto='NAME' type='save' title='Pick'>"
               L"<ext text='Text files' extension='*.txt'/><ext text='No pattern'/>"
               L"<ext extension='*.none'/><ext text='' extension='*.empty'/>"
               L"<ext text='All files' extension='*.*'/>"
               L"</selectfile></button></dialog>";
    }
};

TEST_F(SelectFile, WritesTheChosenPathIntoItsTargetWithOnlyCompleteFilters) {
    CCommandDialog dialog(&engine);
    const std::wstring chosen = folder.path() + L"\\chosen.txt";
    std::vector<std::wstring> filters;
    std::wstring title, result;
    Browse(dialog, Document(L"<textbox id='name' size='30'/>"), [] {},
           [&](HWND fileDialog) {
               filters = ComboItems(::GetDlgItem(fileDialog, kFilterCombo));
               title = TextOf(fileDialog);
               Choose(fileDialog, chosen);
           },
           result);
    EXPECT_EQ((std::vector<std::wstring>{L"Text files", L"All files"}), filters);
    EXPECT_EQ(L"Pick", title);
    EXPECT_EQ(chosen, result);

    // The program's start name and filters replace the document's.
    CCommandDialog again(&engine);
    std::wstring offered;
    Browse(again, Document(L"<textbox id='name' value='kept'/>"),
           [&] {
               auto* file = static_cast<CZABSelectFile*>(again.FindById(L"file"));
               file->SetFileName(L"start.png");
               file->RemoveAllFilters();
               file->AddFilter(L"Pictures", L"*.png");
           },
           [&](HWND fileDialog) {
               offered = TextOf(FileNameField(fileDialog));
               filters = ComboItems(::GetDlgItem(fileDialog, kFilterCombo));
               Cancel(fileDialog);
           },
           result);
    EXPECT_EQ(L"start.png", offered);
    EXPECT_EQ(std::vector<std::wstring>{L"Pictures"}, filters);
    EXPECT_EQ(L"kept", result);
}

TEST_F(SelectFile, APathLongerThanTheTargetTakesLeavesItAlone) {
    CCommandDialog dialog(&engine);
    std::wstring result;
    // A start name longer than the dialog's buffer is not offered.
    std::wstring offered = L"x";
    Browse(dialog, Document(L"<textbox id='name' value='short' maxlength='8'/>"),
           [&] {
               static_cast<CZABSelectFile*>(dialog.FindById(L"file"))
                   ->SetFileName(std::wstring(CZABSelectFile::kMaxPath + 20, L'n').c_str());
           },
           [&](HWND fileDialog) {
               offered = TextOf(FileNameField(fileDialog));
               Choose(fileDialog, folder.path() + L"\\a-long-name.txt");
           },
           result);
    EXPECT_EQ(L"", offered);
    EXPECT_EQ(L"short", result);
}

// The rightmost column of `dc` within `cx` by `cy` that is not `background`.
int RightmostInk(HDC dc, int cx, int cy, COLORREF background) {
    for (int x = cx - 1; x >= 0; --x) {
        for (int y = 0; y < cy; ++y) {
            if (::GetPixel(dc, x, y) != background) return x;
        }
    }
    return -1;
}

// Where the ink of `text` ends when nothing clips it, drawn as a one-line label.
int UnclippedInk(HDC screen, HFONT font, const std::wstring& text, int cy) {
    const int cx = 400;
    mx::unique_hdc memory(::CreateCompatibleDC(screen));
    mx::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen, cx, cy));
    mx::unique_select_object selected(memory.get(), bitmap.get());
    mx::unique_select_object withFont(memory.get(), font);
    RECT rect = {0, 0, cx, cy};
    ::FillRect(memory.get(), &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(memory.get(), TRANSPARENT);
    ::DrawTextW(memory.get(), text.c_str(), -1, &rect, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    return RightmostInk(memory.get(), cx, cy, RGB(255, 255, 255));
}

TEST_F(StandardControls, LabelWithoutAWidthShowsItsWholeText) {
    CCommandDialog dialog(&engine);
    const std::wstring text = L"Verlaufsgr\u00F6\u00DFe:";
    int shown = -2, whole = -1;
    RunDialog(dialog,
              L"<dialog orient='vertical'><box orient='horizontal' columns='2'>"
              L"<label id='label' value='" + text + L"'/>"
              L"<box><textbox id='size' numberonly='true' size='5' textalign='right'>"
              L"<spin buddyalign='right'/></textbox></box></box></dialog>",
              {WhenShown(dialog, [&](HWND w) {
                  HWND label = WindowOf(dialog, L"label");
                  ::RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                  RECT client = {};
                  ::GetClientRect(label, &client);
                  mx::unique_window_dc dc(label);
                  const COLORREF background = ::GetPixel(dc.get(), 0, 0);
                  shown = RightmostInk(dc.get(), client.right, client.bottom, background);
                  auto font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
                  whole = UnclippedInk(dc.get(), font, text, client.bottom);
                  Key(w, VK_ESCAPE);
              })});
    EXPECT_GT(whole, 0);
    EXPECT_EQ(whole, shown);
}

}  // namespace
