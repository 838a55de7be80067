// The COM object the bar holds for each button: it implements IDvlButton for
// the bar and CDvlContainer for the one button it wraps, and translates every
// call in both directions.
#pragma once
#include <windows.h>
#include <atomic>
#include <memory>
#include "ui/CDvlButton.h"
#include "ui/CDvlContainer.h"
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"

class CPlugin final : public IDvlButton, public CDvlContainer {
public:
    // Wraps the button (taking ownership), or a new root button when it is
    // null. Null when memory ran out; a given button is then deleted.
    static CPlugin* Create(CDvlButton* button = nullptr);
    // The wrapper behind an IDvlButton pointer, or null when the pointer is
    // not one of this plug-in's wrappers.
    static CPlugin* FromInterface(IDvlButton* button);
    CDvlButton* GetButton() const { return m_button.get(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDvlButton
    HRESULT STDMETHODCALLTYPE LoadSettings(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE SaveSettings(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE SetClassId(const GUID* id) override;
    HRESULT STDMETHODCALLTYPE SetSite(IDvlHost* site) override;
    HRESULT STDMETHODCALLTYPE SetHostFlags(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Command(UINT code, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE SetName(const WCHAR* caption) override;
    HRESULT STDMETHODCALLTYPE AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) override;
    HRESULT STDMETHODCALLTYPE MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE SetLanguage(UINT languageId, HMODULE module) override;
    HRESULT STDMETHODCALLTYPE GetIconLocation(WCHAR* buffer) override;
    HRESULT STDMETHODCALLTYPE SetIconLocation(const WCHAR* location) override;
    HRESULT STDMETHODCALLTYPE GetInfo(DVLBUTTONINFO* info) override;
    HRESULT STDMETHODCALLTYPE HandleMessage(UINT code, UINT arg, void* out) override;
    void* STDMETHODCALLTYPE DeletingDestructor(UINT deleteFlag) override;

    // CDvlContainer
    HRESULT HostReserved8(UINT_PTR a, UINT_PTR b) override;
    HWND GetBarWindow() override;
    HRESULT GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) override;
    DWORD GetIconSize() override;
    DWORD GetIconFlags() override;
    DWORD GetMetricsValue4() override;
    HFONT GetMenuFont() override;
    COLORREF GetEntryTextColor() override;
    DWORD GetTextStyle() override;
    HRESULT GetItemMargins(RECT* margins) override;
    HRESULT SetHotKey(WORD hotkey, UINT id) override;
    DWORD Request3() override;
    HRESULT Request4() override;
    HRESULT Request5() override;
    HRESULT Request6() override;
    HRESULT Request7() override;
    HRESULT Request8() override;
    HRESULT Request9() override;
    HRESULT GetBaseFolder(UINT_PTR arg, WCHAR* buffer) override;
    HRESULT Request11(UINT_PTR arg) override;
    HRESULT NotifyChanged() override;
    HRESULT Refresh1() override;
    HRESULT Invalidate() override;
    HRESULT Refresh4() override;
    HRESULT Request15(UINT_PTR arg) override;
    HRESULT ActivateMenu() override;
    DWORD Request17() override;
    ULONG Request18(UINT_PTR arg) override;

private:
    ~CPlugin();
    CPlugin(const CPlugin&) = delete;
    CPlugin& operator=(const CPlugin&) = delete;

    DVLMETRICS QueryMetrics();
    HRESULT Request(UINT code, UINT_PTR arg, void* ptr);
    HRESULT HandleValueMessage(UINT code, UINT arg, void* out);
    HRESULT HandleRecordMessage(UINT code, UINT arg, void* out);
    HRESULT HandlePointMessage(UINT code, UINT arg, void* out);
    HRESULT EnumerateChild(UINT code, void* out);
    HRESULT CreateChild(void* out);
    HRESULT CompareChildren(void* out);
    HRESULT GetSortKey(UINT arg, void* out);

    // A button that manages its own lifetime (one whose data object may
    // still be held elsewhere) answers true to ReleaseByWrapper and is not
    // deleted here.
    struct ButtonRelease {
        void operator()(CDvlButton* button) const {
            if (!button->ReleaseByWrapper()) delete button;
        }
    };
    using ButtonOwner = std::unique_ptr<CDvlButton, ButtonRelease>;

    explicit CPlugin(ButtonOwner&& button);

    std::atomic<LONG> m_refs;
    ButtonOwner m_button;
    IDvlHost* m_site;  // the bar's: no reference held (it outlives its buttons)
};
