// The two host-contract interfaces written out as plain tables of function
// pointers, slot by slot, the way a compiler other than ours lays them out.
// Calling through these tables (and serving the plug-in a host made of one)
// checks that the C++ declarations put every operation in its slot.
#pragma once
#include <windows.h>
#include <cstddef>
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"

struct DvlButtonSlots {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(void* self, REFIID riid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(void* self);
    ULONG(STDMETHODCALLTYPE* Release)(void* self);
    HRESULT(STDMETHODCALLTYPE* LoadSettings)(void* self, IStream* stream);
    HRESULT(STDMETHODCALLTYPE* SaveSettings)(void* self, IStream* stream);
    HRESULT(STDMETHODCALLTYPE* SetClassId)(void* self, const GUID* id);
    HRESULT(STDMETHODCALLTYPE* SetSite)(void* self, void* site);
    HRESULT(STDMETHODCALLTYPE* SetHostFlags)(void* self, DWORD flags);
    HRESULT(STDMETHODCALLTYPE* DrawButtonIcon)(void* self, HDC dc, const RECT* rect, DWORD flags);
    HRESULT(STDMETHODCALLTYPE* Reserved9)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Reserved10)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Reserved11)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* EditProperties)(void* self, IStream* stream, UINT_PTR a, UINT_PTR b);
    HRESULT(STDMETHODCALLTYPE* Reserved13)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Reserved14)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Reserved15)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Execute)(void* self, UINT_PTR a, UINT_PTR b, UINT_PTR c);
    HRESULT(STDMETHODCALLTYPE* Command)(void* self, UINT code, UINT_PTR a, UINT_PTR b);
    HRESULT(STDMETHODCALLTYPE* SetName)(void* self, const WCHAR* caption);
    HRESULT(STDMETHODCALLTYPE* AddMenuItems)(void* self, HMENU menu, UINT position, UINT firstId, UINT more);
    HRESULT(STDMETHODCALLTYPE* MenuCommand)(void* self, UINT number, UINT_PTR a, UINT_PTR b);
    HRESULT(STDMETHODCALLTYPE* SetLanguage)(void* self, UINT languageId, HMODULE module);
    HRESULT(STDMETHODCALLTYPE* GetIconLocation)(void* self, WCHAR* buffer);
    HRESULT(STDMETHODCALLTYPE* SetIconLocation)(void* self, const WCHAR* location);
    HRESULT(STDMETHODCALLTYPE* GetInfo)(void* self, DVLBUTTONINFO* info);
    HRESULT(STDMETHODCALLTYPE* HandleMessage)(void* self, UINT code, UINT arg, void* out);
    void*(STDMETHODCALLTYPE* DeletingDestructor)(void* self, UINT deleteFlag);
};

struct DvlHostSlots {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(void* self, REFIID riid, void** ppv);
    ULONG(STDMETHODCALLTYPE* AddRef)(void* self);
    ULONG(STDMETHODCALLTYPE* Release)(void* self);
    HRESULT(STDMETHODCALLTYPE* GetMetrics)(void* self, DVLMETRICS* metrics);
    HWND(STDMETHODCALLTYPE* GetBarWindow)(void* self);
    HRESULT(STDMETHODCALLTYPE* NotifyChanged)(void* self);
    HRESULT(STDMETHODCALLTYPE* Reserved6)(void* self);
    HRESULT(STDMETHODCALLTYPE* GetIconOffset)(void* self, POINT* offset, const RECT* rect, DWORD flags);
    HRESULT(STDMETHODCALLTYPE* Reserved8)(void* self, UINT_PTR a, UINT_PTR b);
    HRESULT(STDMETHODCALLTYPE* GetEntryStyle)(void* self, void* record24, DWORD* value);
    HRESULT(STDMETHODCALLTYPE* Refresh)(void* self, DWORD subCode);
    HRESULT(STDMETHODCALLTYPE* Request)(void* self, UINT code, UINT_PTR arg, void* ptr);
};

#define MX_SLOT(type, name, n) static_assert(offsetof(type, name) == (n) * sizeof(void*), #name)
MX_SLOT(DvlButtonSlots, QueryInterface, 0);
MX_SLOT(DvlButtonSlots, AddRef, 1);
MX_SLOT(DvlButtonSlots, Release, 2);
MX_SLOT(DvlButtonSlots, LoadSettings, 3);
MX_SLOT(DvlButtonSlots, SaveSettings, 4);
MX_SLOT(DvlButtonSlots, SetClassId, 5);
MX_SLOT(DvlButtonSlots, SetSite, 6);
MX_SLOT(DvlButtonSlots, SetHostFlags, 7);
MX_SLOT(DvlButtonSlots, DrawButtonIcon, 8);
MX_SLOT(DvlButtonSlots, Reserved9, 9);
MX_SLOT(DvlButtonSlots, Reserved10, 10);
MX_SLOT(DvlButtonSlots, Reserved11, 11);
MX_SLOT(DvlButtonSlots, EditProperties, 12);
MX_SLOT(DvlButtonSlots, Reserved13, 13);
MX_SLOT(DvlButtonSlots, Reserved14, 14);
MX_SLOT(DvlButtonSlots, Reserved15, 15);
MX_SLOT(DvlButtonSlots, Execute, 16);
MX_SLOT(DvlButtonSlots, Command, 17);
MX_SLOT(DvlButtonSlots, SetName, 18);
MX_SLOT(DvlButtonSlots, AddMenuItems, 19);
MX_SLOT(DvlButtonSlots, MenuCommand, 20);
MX_SLOT(DvlButtonSlots, SetLanguage, 21);
MX_SLOT(DvlButtonSlots, GetIconLocation, 22);
MX_SLOT(DvlButtonSlots, SetIconLocation, 23);
MX_SLOT(DvlButtonSlots, GetInfo, 24);
MX_SLOT(DvlButtonSlots, HandleMessage, 25);
MX_SLOT(DvlButtonSlots, DeletingDestructor, 26);
static_assert(sizeof(DvlButtonSlots) == 27 * sizeof(void*), "27 slots");

MX_SLOT(DvlHostSlots, QueryInterface, 0);
MX_SLOT(DvlHostSlots, AddRef, 1);
MX_SLOT(DvlHostSlots, Release, 2);
MX_SLOT(DvlHostSlots, GetMetrics, 3);
MX_SLOT(DvlHostSlots, GetBarWindow, 4);
MX_SLOT(DvlHostSlots, NotifyChanged, 5);
MX_SLOT(DvlHostSlots, Reserved6, 6);
MX_SLOT(DvlHostSlots, GetIconOffset, 7);
MX_SLOT(DvlHostSlots, Reserved8, 8);
MX_SLOT(DvlHostSlots, GetEntryStyle, 9);
MX_SLOT(DvlHostSlots, Refresh, 10);
MX_SLOT(DvlHostSlots, Request, 11);
static_assert(sizeof(DvlHostSlots) == 12 * sizeof(void*), "12 slots");
#undef MX_SLOT

// The table of an object that starts with a table pointer (any COM object).
inline const DvlButtonSlots* ButtonSlots(void* object) {
    return *static_cast<const DvlButtonSlots* const*>(object);
}
