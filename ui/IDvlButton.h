// The interface the launch bar drives every button through. The bar is
// built with Microsoft's compiler: the vtable keeps MSVC's layout (no
// overloads, declaration order, slot 26 a single deleting-destructor slot).
#pragma once
#include <windows.h>
#include <objidl.h>
#include "ui/IDvlHost.h"

// {41F621E8-88FC-4496-ABFF-CB96F8914C1C}
DEFINE_GUID(IID_IDvlButton, 0x41f621e8, 0x88fc, 0x4496, 0xab, 0xff, 0xcb, 0x96, 0xf8, 0x91, 0x4c, 0x1c);

// GetInfo record.
enum DvlInfoMask : DWORD {
    DVLINFO_STYLE = 0x01,
    DVLINFO_KIND = 0x02,
    DVLINFO_SIZE = 0x04,
    DVLINFO_TEXT = 0x40,
    DVLINFO_SIZE2 = 0x80,
};
struct DVLBUTTONINFO {
    DWORD mask;          // 0
    DWORD style;         // 4
    DWORD kind;          // 8
    SIZE size;           // 12
    DWORD reserved[3];   // 20
    WCHAR text[MAX_PATH]; // 32
};
static_assert(offsetof(DVLBUTTONINFO, size) == 12, "size at byte 12");
static_assert(offsetof(DVLBUTTONINFO, text) == 32, "text at byte 32");

// Record of messages 13, 14 and 15.
struct DVLENUMCHILD {
    WCHAR* text;
    void* item;
    UINT next;
};
// Record of message 16.
struct IDvlButton;
struct DVLCREATECHILD {
    IDvlButton* parent;
    void* item;
    IDvlButton* child;
};
// Record of message 20.
struct DVLCOMPARE {
    IDvlButton* first;
    IDvlButton* second;
    UINT key;
    int result;
};
// Record of message 21.
struct DVLSORTKEY {
    UINT keyId;
    WCHAR* text;
};
// Record of message 4 (532 bytes).
struct DVLRECORD4 {
    DWORD value0;
    WCHAR text[MAX_PATH];
    WORD value524;
    DWORD value528;
};
static_assert(sizeof(DVLRECORD4) == 532, "message 4 record is 532 bytes");
static_assert(offsetof(DVLRECORD4, value524) == 524 && offsetof(DVLRECORD4, value528) == 528, "");

// Record of message 31 (only the fields the plug-in reads).
struct DVLDRAWIMAGE {
    BYTE reserved0[32];
    HDC dc;          // 32
    int x;           // 40
    int y;           // 44
    BYTE reserved48[8];
    void* image;     // 56: CxImage*
};
static_assert(offsetof(DVLDRAWIMAGE, dc) == 32 && offsetof(DVLDRAWIMAGE, x) == 40 &&
              offsetof(DVLDRAWIMAGE, y) == 44 && offsetof(DVLDRAWIMAGE, image) == 56, "");

// Record of messages 34 and 35.
struct DVLRECORD34 {
    void* pointer;   // 0
    DWORD value8;    // 8
    DWORD value12;   // 12
};
static_assert(offsetof(DVLRECORD34, value8) == 8 && offsetof(DVLRECORD34, value12) == 12, "");

// Command codes.
enum DvlCommand : UINT {
    DVLCMD_PROPERTIES = 1,
    DVLCMD_2 = 2,
    DVLCMD_2000 = 0x2000,
    DVLCMD_DELETE = 0x4000,
};

struct IDvlButton : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE LoadSettings(IStream* stream) = 0;                       // 3
    virtual HRESULT STDMETHODCALLTYPE SaveSettings(IStream* stream) = 0;                       // 4
    virtual HRESULT STDMETHODCALLTYPE SetClassId(const GUID* id) = 0;                          // 5
    virtual HRESULT STDMETHODCALLTYPE SetSite(IDvlHost* site) = 0;                             // 6
    virtual HRESULT STDMETHODCALLTYPE SetHostFlags(DWORD flags) = 0;                           // 7
    virtual HRESULT STDMETHODCALLTYPE DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) = 0; // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;       // 9
    virtual HRESULT STDMETHODCALLTYPE Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;      // 10
    virtual HRESULT STDMETHODCALLTYPE Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;      // 11
    virtual HRESULT STDMETHODCALLTYPE EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) = 0; // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;      // 13
    virtual HRESULT STDMETHODCALLTYPE Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;      // 14
    virtual HRESULT STDMETHODCALLTYPE Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;      // 15
    virtual HRESULT STDMETHODCALLTYPE Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) = 0;         // 16
    virtual HRESULT STDMETHODCALLTYPE Command(UINT code, UINT_PTR a, UINT_PTR b) = 0;          // 17
    virtual HRESULT STDMETHODCALLTYPE SetName(const WCHAR* caption) = 0;                       // 18
    virtual HRESULT STDMETHODCALLTYPE AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) = 0; // 19
    virtual HRESULT STDMETHODCALLTYPE MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) = 0;    // 20
    virtual HRESULT STDMETHODCALLTYPE SetLanguage(UINT languageId, HMODULE module) = 0;        // 21
    virtual HRESULT STDMETHODCALLTYPE GetIconLocation(WCHAR* buffer) = 0;                      // 22
    virtual HRESULT STDMETHODCALLTYPE SetIconLocation(const WCHAR* location) = 0;              // 23
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DVLBUTTONINFO* info) = 0;                        // 24
    virtual HRESULT STDMETHODCALLTYPE HandleMessage(UINT code, UINT arg, void* out) = 0;       // 25
    // MSVC's scalar deleting destructor: one slot taking the delete flag.
    virtual void* STDMETHODCALLTYPE DeletingDestructor(UINT deleteFlag) = 0;                  // 26
};
__CRT_UUID_DECL(IDvlButton, 0x41f621e8, 0x88fc, 0x4496, 0xab, 0xff, 0xcb, 0x96, 0xf8, 0x91, 0x4c, 0x1c)
