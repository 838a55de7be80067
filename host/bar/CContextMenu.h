// A button's context menu as the bar shows it: the button's own entries
// (AddMenuItems, numbered from 1 for MenuCommand), a separator, then the
// bar's own command for that kind of button: Delete for a history entry,
// Properties for the button on the bar, in the bar's language (German or
// English).
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "base/Unique.h"
#include "ui/IDvlButton.h"

class CContextMenu {
public:
    enum class BarCommand { None, Delete, Properties };
    struct Item {
        UINT number;  // the button's entry number; 0 for the bar's own command
        std::wstring text;
        UINT state;   // MF_CHECKED, MF_GRAYED, ...
    };
    // The first command id handed to AddMenuItems: the button's entries come after it.
    static constexpr UINT kFirstId = 100;
    // The bar's own command: below every id the button can use.
    static constexpr UINT kBarCommandId = 1;
    static constexpr LANGID kEnglish = 1033;

    CContextMenu(IDvlButton* button, BarCommand command, LANGID language = kEnglish);

    HMENU Handle() const { return m_menu.get(); }
    // What AddMenuItems answered: the number of entries the button added.
    HRESULT Added() const { return m_added; }
    const std::vector<Item>& Items() const { return m_items; }
    // The button's entry whose text is `text`, or 0.
    UINT NumberOf(const std::wstring& text) const;
    // Shows the menu at a screen point; answers the command id chosen, or 0.
    UINT Track(HWND owner, POINT at) const;
    // Carries out a command id that Track answered: the button's MenuCommand
    // for its entries, Command for the bar's own.
    HRESULT Choose(UINT commandId) const;
    // As Choose, by the button's entry number.
    HRESULT ChooseNumber(UINT number) const;

    static const wchar_t* BarCommandText(BarCommand command, LANGID language = kEnglish);

private:
    IDvlButton* m_button;
    BarCommand m_command;
    mx::unique_hmenu m_menu;
    HRESULT m_added = 0;
    std::vector<Item> m_items;
};
