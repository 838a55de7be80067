// The bar as the root button's tests need it: an IDvlHost that counts what
// the button asks for. The button's watcher thread calls NotifyChanged, so
// everything here is safe on any thread.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>
#include "ui/IDvlHost.h"

class CRootTestHost final : public IDvlHost {
public:
    CRootTestHost() = default;
    CRootTestHost(const CRootTestHost&) = delete;
    CRootTestHost& operator=(const CRootTestHost&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetMetrics(DVLMETRICS* metrics) override;
    HWND STDMETHODCALLTYPE GetBarWindow() override { return barWindow; }
    HRESULT STDMETHODCALLTYPE NotifyChanged() override;
    HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Reserved8(UINT_PTR, UINT_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetEntryStyle(void* record24, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE Refresh(DWORD subCode) override;
    HRESULT STDMETHODCALLTYPE Request(UINT code, UINT_PTR arg, void* ptr) override;

    LONG Notifications() const { return m_notify; }
    // Notifications that came from a thread other than the one that made the host.
    LONG NotificationsFromOtherThreads() const { return m_notifyElsewhere; }
    LONG MenuActivations() const { return m_activations; }
    LONG Invalidations() const { return m_invalidations; }
    // (hotkey, id) in the order the button set them.
    std::vector<std::pair<WORD, UINT>> HotKeys() const;
    void ClearHotKeys();

    HWND barWindow = nullptr;
    DWORD iconSize = 16;
    // What the bar tells entries that draw themselves.
    POINT iconOffset = {0, 0};
    RECT margins = {0, 0, 0, 0};
    COLORREF textColour = 0;

private:
    const DWORD m_thread = GetCurrentThreadId();
    std::atomic<LONG> m_notify{0};
    std::atomic<LONG> m_notifyElsewhere{0};
    std::atomic<LONG> m_activations{0};
    std::atomic<LONG> m_invalidations{0};
    mutable std::mutex m_guard;
    std::vector<std::pair<WORD, UINT>> m_hotKeys;
};
