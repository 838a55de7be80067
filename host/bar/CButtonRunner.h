// Loads one button and drives it in the order the contract fixes:
// SetSite, identity (SetClassId, SetName, SetLanguage, SetIconLocation when
// given), LoadSettings, then display and menu requests; at the end
// SaveSettings into a fresh stream, the update event closed, the last Release.
#pragma once
#include <windows.h>
#include <wrl/client.h>
#include <memory>
#include <string>
#include "host/bar/CBarMenus.h"
#include "host/bar/CBarWindow.h"
#include "host/bar/CDvlHostSite.h"
#include "host/bar/CHistoryMenu.h"
#include "host/bar/CSettingsFile.h"
#include "host/bar/HostOptions.h"
#include "ui/IDvlButton.h"

class CButtonRunner : private CBarMenus::Owner {
public:
    explicit CButtonRunner(HostOptions options);
    CButtonRunner(const CButtonRunner&) = delete;
    CButtonRunner& operator=(const CButtonRunner&) = delete;
    ~CButtonRunner();

    // On failure Error() says why.
    HRESULT Start();
    // Saves the settings (unless told not to or they could not be read) and
    // releases the button. Answers the save's result.
    HRESULT Stop();
    // Stop, then a new button on the same bar and site, loaded with the
    // settings just saved (as when the bar is started again).
    HRESULT Restart();

    IDvlButton* Button() const override { return m_button.Get(); }
    CDvlHostSite* Site() const { return m_site.Get(); }
    CBarWindow& Bar() { return m_bar; }
    const CLSID& PluginClass() const { return m_clsid; }
    const std::wstring& Name() const { return m_name; }
    LANGID Language() const override { return static_cast<LANGID>(m_options.language); }
    const std::wstring& SettingsPath() const { return m_settings.Path(); }
    HANDLE UpdateEvent() const { return m_updateEvent; }
    const std::wstring& Error() const { return m_error; }
    // The history menu, brought up to date as the bar does before showing it.
    CHistoryMenu& OpenMenu() override;
    // The menu as last opened (empty before the first OpenMenu).
    CHistoryMenu& Menu() override { return *m_menu; }
    // Whether the button set its update event since the last call.
    bool TakeHistoryChanged();
    // Chooses entry `index` of the menu (Execute), as a click on it does.
    HRESULT Choose(size_t index) override;
    // The menus on screen (clicks on the button, the open-menu request).
    CBarMenus& Menus() { return *m_menus; }
    // With a person in front of the bar, a click, a right-click and the
    // button's request to open its menu show menus on screen; without one
    // (scripts) the request only brings the menu up to date.
    void SetInteractive(bool interactive) { m_interactive = interactive; }
    // Dispatches the messages already waiting (hotkeys, change notices).
    void Pump();
    // Runs the bar's loop for at most `milliseconds` (INFINITE: until the bar
    // window is closed); the update event repaints the bar.
    void Run(DWORD milliseconds);
    // Paints the button (icon and caption) the way the bar shows it.
    void PaintBar(HDC dc, const RECT& client);

    static std::wstring ProgramPath();
    static std::wstring FolderOf(const std::wstring& path);

private:
    HWND BarWindow() const override { return m_bar.Handle(); }
    HFONT MenuFont() const override;
    HRESULT Fail(HRESULT hr, const std::wstring& what);
    HRESULT FindClass();
    HRESULT CreateButton();
    HRESULT Attach();
    HRESULT Identify();
    HRESULT LoadSettings();
    HRESULT SaveSettings();
    std::wstring Caption();
    void ConnectBar();
    void DisconnectBar();

    HostOptions m_options;
    CLSID m_clsid{};
    std::wstring m_name;
    CBarWindow m_bar;
    Microsoft::WRL::ComPtr<CDvlHostSite> m_site;
    Microsoft::WRL::ComPtr<IDvlButton> m_button;
    CSettingsFile m_settings{std::wstring()};
    bool m_settingsReadable = false;
    HANDLE m_updateEvent = nullptr;  // the button's; it closes it on message 12
    bool m_historyChanged = false;
    std::unique_ptr<CHistoryMenu> m_menu;
    std::unique_ptr<CBarMenus> m_menus;
    bool m_interactive = false;
    std::wstring m_error;
};
