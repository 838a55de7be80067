// The bar's side of the contract: what a button reaches through SetSite.
// Every call is counted so that scripts and tests can see what the button
// asked for; NotifyChanged may arrive from a button's worker thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <memory>
#include <string>
#include "base/ComObject.h"
#include "base/Unique.h"
#include "host/bar/CHotKeyTable.h"
#include "host/bar/HostOptions.h"
#include "ui/IDvlHost.h"

// Posted to the bar window when a button reports a change.
constexpr UINT WM_DVLHOST_CHANGED = WM_APP + 1;
// Posted to the bar window when a button asks it to open its menu.
constexpr UINT WM_DVLHOST_ACTIVATE = WM_APP + 2;

class CDvlHostSite final : public mx::com_object<IDvlHost> {
public:
    static constexpr UINT kCountedCodes = 32;
    // The margins answered by slot 9: left, top, right, bottom.
    static constexpr LONG kEntryMargins[4] = {3, 2, 3, 2};

    CDvlHostSite(const HostOptions& options, HWND barWindow, const std::wstring& baseFolder);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetMetrics(DVLMETRICS* metrics) override;
    HWND STDMETHODCALLTYPE GetBarWindow() override;
    HRESULT STDMETHODCALLTYPE NotifyChanged() override;
    HRESULT STDMETHODCALLTYPE Reserved6() override;
    HRESULT STDMETHODCALLTYPE GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Reserved8(UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE GetEntryStyle(void* record24, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE Refresh(DWORD subCode) override;
    HRESULT STDMETHODCALLTYPE Request(UINT code, UINT_PTR arg, void* ptr) override;

    CHotKeyTable& HotKeys() { return m_hotKeys; }
    LONG NotifyCount() const { return m_notify.load(); }
    LONG MetricsCount() const { return m_metrics.load(); }
    // Sub-codes 1, 2 and 4 of slot 10.
    LONG RefreshCount(DWORD subCode) const;
    LONG RequestCount(UINT code) const;
    LONG ActivateMenuCount() const { return RequestCount(DVLREQ_ACTIVATEMENU); }
    HFONT MenuFont() const { return m_menuFont; }
    UINT IconSize() const { return m_iconSize; }
    // While set, a button's request to open its menu is counted and nothing
    // more: the bar is carrying out the choice of an entry, whose menu has
    // just closed.
    void HoldActivation(bool hold) { m_holdActivation = hold; }

private:
    ~CDvlHostSite() override = default;
    HRESULT SetHotKey(UINT_PTR hotkey, void* id);
    HRESULT GetBaseFolder(UINT_PTR arg, void* buffer);
    static HRESULT WriteValue(void* ptr, DWORD value);
    void Trace(const std::wstring& line) const;
    void CreateMenuFont();

    HWND m_bar;
    std::wstring m_baseFolder;
    UINT m_iconSize;
    DWORD m_textStyle;
    bool m_trace;
    bool m_holdActivation = false;
    CHotKeyTable m_hotKeys;
    mx::unique_hfont m_ownedFont;
    HFONT m_menuFont = nullptr;
    std::atomic<LONG> m_notify{0};
    std::atomic<LONG> m_metrics{0};
    std::atomic<LONG> m_refresh[8] = {};
    std::atomic<LONG> m_requests[kCountedCodes] = {};
};
