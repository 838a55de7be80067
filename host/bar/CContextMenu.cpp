#include "host/bar/CContextMenu.h"

CContextMenu::CContextMenu(IDvlButton* button, BarCommand command, LANGID language)
    : m_button(button), m_command(command), m_menu(CreatePopupMenu()) {
    if (!m_menu || !button) return;
    m_added = button->AddMenuItems(m_menu.get(), 0, kFirstId, 0);
    int count = GetMenuItemCount(m_menu.get());
    for (int i = 0; i < count; ++i) {
        WCHAR text[MAX_PATH] = L"";
        GetMenuStringW(m_menu.get(), i, text, MAX_PATH, MF_BYPOSITION);
        UINT id = GetMenuItemID(m_menu.get(), i);
        UINT state = GetMenuState(m_menu.get(), i, MF_BYPOSITION);
        if (id > kFirstId && id != static_cast<UINT>(-1)) m_items.push_back({id - kFirstId, text, state});
    }
    if (command == BarCommand::None) return;
    if (count > 0) AppendMenuW(m_menu.get(), MF_SEPARATOR, 0, nullptr);
    const wchar_t* text = BarCommandText(command, language);
    AppendMenuW(m_menu.get(), MF_STRING, kBarCommandId, text);
    m_items.push_back({0, text, 0});
}

const wchar_t* CContextMenu::BarCommandText(BarCommand command, LANGID language) {
    const bool german = PRIMARYLANGID(language) == LANG_GERMAN;
    switch (command) {
    case BarCommand::Delete: return german ? L"L\u00F6schen" : L"Delete";
    case BarCommand::Properties: return german ? L"Eigenschaften" : L"Properties";
    default: return L"";
    }
}

UINT CContextMenu::NumberOf(const std::wstring& text) const {
    for (const Item& item : m_items)
        if (item.number && item.text == text) return item.number;
    return 0;
}

UINT CContextMenu::Track(HWND owner, POINT at) const {
    if (!m_menu) return 0;
    // The owner must be the foreground window, or the menu would not close when clicked away.
    SetForegroundWindow(owner);
    UINT chosen = static_cast<UINT>(TrackPopupMenuEx(m_menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     at.x, at.y, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return chosen;
}

HRESULT CContextMenu::Choose(UINT commandId) const {
    if (!m_button || commandId == 0) return S_FALSE;
    if (commandId == kBarCommandId) {
        switch (m_command) {
        case BarCommand::Delete: return m_button->Command(DVLCMD_DELETE, 0, 0);
        case BarCommand::Properties: return m_button->Command(DVLCMD_PROPERTIES, 0, 0);
        default: return S_FALSE;
        }
    }
    if (commandId <= kFirstId) return S_FALSE;
    return m_button->MenuCommand(commandId - kFirstId, 0, 0);
}

HRESULT CContextMenu::ChooseNumber(UINT number) const {
    return Choose(number == 0 ? kBarCommandId : kFirstId + number);
}
