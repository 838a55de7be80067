// The bar's menus on screen. A click on the button (or the button's request
// to open its menu) shows the history menu: owner-drawn entries, and beside
// the highlighted one its tooltip. A right-click on an entry closes the menu
// and shows the entry's context menu with the bar's Delete; a right-click on
// the button shows the button's context menu with the bar's Properties. An
// entry dragged out of the menu is handed to OLE's drag and drop as data:
// where the system's menus report the drag, and where they do not (Wine), a
// press on an entry followed by a move beyond the drag distance.
#pragma once
#include <windows.h>
#include <memory>
#include "host/bar/CContextMenu.h"
#include "host/bar/CHistoryMenu.h"
#include "host/bar/CTipWindow.h"
#include "ui/IDvlButton.h"

class CBarMenus {
public:
    // What the menus need of the bar that shows them.
    class Owner {
    public:
        virtual HWND BarWindow() const = 0;
        // The history menu as last opened, and brought up to date.
        virtual CHistoryMenu& Menu() = 0;
        virtual CHistoryMenu& OpenMenu() = 0;
        // Chooses entry `index` of the menu, as a click on it does.
        virtual HRESULT Choose(size_t index) = 0;
        virtual IDvlButton* Button() const = 0;
        virtual LANGID Language() const = 0;
        virtual HFONT MenuFont() const = 0;

    protected:
        ~Owner() = default;
    };

    explicit CBarMenus(Owner& owner);
    CBarMenus(const CBarMenus&) = delete;
    CBarMenus& operator=(const CBarMenus&) = delete;
    ~CBarMenus();

    // Every message of the bar window passes here first; true when handled.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Each shows its menu at a screen point and carries out what was chosen.
    void ShowHistory(POINT at);
    void ShowEntryContext(size_t index, POINT at);
    void ShowButtonContext(POINT at);

    // Where a menu opened from the bar itself appears: below the button.
    POINT BelowButton() const;

private:
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void OpenContextOfSelected();
    // Sees the messages the menu loop takes: a right-click while an entry is
    // highlighted opens that entry's context menu, and a press on an entry
    // that moves beyond the drag distance drags it out, also where the
    // system's menus report neither (WM_MENURBUTTONUP, WM_MENUDRAG).
    static LRESULT CALLBACK MenuLoopHook(int code, WPARAM wParam, LPARAM lParam);
    void OnMenuLoopMouse(const MSG& msg);
    // Ends the menu; the entry's drag starts once the menu has closed.
    void DragOutSelected(int index);
    void StartDrag(size_t index);

    Owner& m_owner;
    std::unique_ptr<CTipWindow> m_tip;
    HMENU m_history = nullptr;  // while the history menu is up
    int m_contextFor = -1;      // an entry right-clicked in the history menu
    int m_dragFrom = -1;        // an entry dragged out of the history menu
    int m_selected = -1;        // the entry highlighted in the history menu
    int m_pressedOn = -1;       // the entry the left button went down on
    POINT m_pressedAt{};        // where, on the screen
    static thread_local CBarMenus* s_tracking;  // whose history menu is up
};
