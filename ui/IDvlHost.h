// The launch bar's own interface, offered to every button through SetSite.
// Only the slot positions, codes and records the plug-in relies on are
// fixed; the bar is built with Microsoft's compiler, so the vtable must keep
// MSVC's layout: no virtual destructor, no overloads, declaration order.
#pragma once
#include <windows.h>
#include <unknwn.h>

// {B44CD86E-C6A9-4437-BE52-FD482F22E921}
DEFINE_GUID(IID_IDvlHost, 0xb44cd86e, 0xc6a9, 0x4437, 0xbe, 0x52, 0xfd, 0x48, 0x2f, 0x22, 0xe9, 0x21);
// Component category that every Dravelle button plug-in implements.
// {96C85A6E-0B41-43AC-A564-C3E64E47E83E}
DEFINE_GUID(CATID_DravelleButtons, 0x96c85a6e, 0x0b41, 0x43ac, 0xa5, 0x64, 0xc3, 0xe6, 0x4e, 0x47, 0xe8, 0x3e);

// The bar's own class: the default value of its InprocServer32 key is the
// bar's program path, beside which the "langs" folder lies.
// {8046C1C5-F247-43FC-BDAC-802719E00DED}
DEFINE_GUID(CLSID_DravelleHost, 0x8046c1c5, 0xf247, 0x43fc, 0xbd, 0xac, 0x80, 0x27, 0x19, 0xe0, 0x0d, 0xed);

// The 32-byte metrics record of slot 3.
struct DVLMETRICS {
    DWORD cbSize;       // 0: 32
    DWORD value4;       // 4
    DWORD reserved8[2]; // 8
    HFONT menuFont;     // 16
    DWORD reserved24;   // 24
    DWORD iconSize;     // 28: icon size in pixels
};
static_assert(sizeof(DVLMETRICS) == 32, "metrics record is 32 bytes");
static_assert(offsetof(DVLMETRICS, menuFont) == 16, "font at byte 16");
static_assert(offsetof(DVLMETRICS, iconSize) == 28, "icon size at byte 28");

// Codes of the general request (slot 11).
enum DvlHostRequest : UINT {
    DVLREQ_SETHOTKEY = 2,     // arg: 16-bit hotkey (0 removes), ptr: the id (1 or 2)
    DVLREQ_QUERY3 = 3,        // ptr: DWORD*, starts 1
    DVLREQ_BASEFOLDER = 10,   // ptr: buffer of MAX_PATH characters
    DVLREQ_ACTIVATEMENU = 12, // open the button's menu
    DVLREQ_ICONFLAGS = 20,    // ptr: DWORD*, starts 0; bit 0x20000: do not draw the icon
    DVLREQ_TEXTSTYLE = 21,    // ptr: DWORD*, starts -1; -1 no glow, else glow colour
};

// Sub-codes of slot 10.
enum DvlHostRefresh : DWORD {
    DVLREFRESH_1 = 1,
    DVLREFRESH_INVALIDATE = 2,
    DVLREFRESH_4 = 4,
};

struct IDvlHost : public IUnknown {
    // slot 3: fills the record; cbSize must be 32
    virtual HRESULT STDMETHODCALLTYPE GetMetrics(DVLMETRICS* metrics) = 0;
    // slot 4
    virtual HWND STDMETHODCALLTYPE GetBarWindow() = 0;
    // slot 5: the button's content (history, state, icon) changed
    virtual HRESULT STDMETHODCALLTYPE NotifyChanged() = 0;
    // slot 6
    virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
    // slot 7: offset of the icon inside the rectangle
    virtual HRESULT STDMETHODCALLTYPE GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) = 0;
    // slot 8
    virtual HRESULT STDMETHODCALLTYPE Reserved8(UINT_PTR a, UINT_PTR b) = 0;
    // slot 9: first 16 bytes of record := entry margins (left, top, right, bottom);
    // *value := text colour of menu entries
    virtual HRESULT STDMETHODCALLTYPE GetEntryStyle(void* record24, DWORD* value) = 0;
    // slot 10: sub-code from DvlHostRefresh
    virtual HRESULT STDMETHODCALLTYPE Refresh(DWORD subCode) = 0;
    // slot 11: general request
    virtual HRESULT STDMETHODCALLTYPE Request(UINT code, UINT_PTR arg, void* ptr) = 0;
};
__CRT_UUID_DECL(IDvlHost, 0xb44cd86e, 0xc6a9, 0x4437, 0xbe, 0x52, 0xfd, 0x48, 0x2f, 0x22, 0xe9, 0x21)
