// The interface a button uses to reach the bar. The wrapper that owns the
// button implements it by forwarding to the bar's IDvlHost; a wrapper without
// a site answers with defaults and sends nothing. Operations in table order.
#pragma once
#include <windows.h>

class CDvlContainer {
public:
    virtual HRESULT HostReserved8(UINT_PTR a, UINT_PTR b) = 0;            // 0
    virtual HWND GetBarWindow() = 0;                                      // 1
    virtual HRESULT GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) = 0; // 2
    virtual DWORD GetIconSize() = 0;                                      // 3
    virtual DWORD GetIconFlags() = 0;                                     // 4
    virtual DWORD GetMetricsValue4() = 0;                                 // 5
    virtual HFONT GetMenuFont() = 0;                                      // 6
    virtual COLORREF GetEntryTextColor() = 0;                             // 7
    virtual DWORD GetTextStyle() = 0;                                     // 8
    virtual HRESULT GetItemMargins(RECT* margins) = 0;                    // 9
    virtual HRESULT SetHotKey(WORD hotkey, UINT id) = 0;                  // 10
    virtual DWORD Request3() = 0;                                         // 11
    virtual HRESULT Request4() = 0;                                       // 12
    virtual HRESULT Request5() = 0;                                       // 13
    virtual HRESULT Request6() = 0;                                       // 14
    virtual HRESULT Request7() = 0;                                       // 15
    virtual HRESULT Request8() = 0;                                       // 16
    virtual HRESULT Request9() = 0;                                       // 17
    virtual HRESULT GetBaseFolder(UINT_PTR arg, WCHAR* buffer) = 0;       // 18
    virtual HRESULT Request11(UINT_PTR arg) = 0;                          // 19
    virtual HRESULT NotifyChanged() = 0;                                  // 20
    virtual HRESULT Refresh1() = 0;                                       // 21
    virtual HRESULT Invalidate() = 0;                                     // 22
    virtual HRESULT Refresh4() = 0;                                       // 23
    virtual HRESULT Request15(UINT_PTR arg) = 0;                          // 24
    virtual HRESULT ActivateMenu() = 0;                                   // 25
    virtual DWORD Request17() = 0;                                        // 26
    virtual ULONG Request18(UINT_PTR arg) = 0;                            // 27

protected:
    // Never deleted through this interface: the wrapper owns its own lifetime.
    ~CDvlContainer() = default;
};
