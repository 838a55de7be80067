// A stand-in bar for the plug-in tests, built from the plain slot table (not
// from the C++ IDvlHost declaration): a call that lands in the wrong slot
// shows up as the wrong recorded slot. It records every call and answers
// from fields the test sets.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "tests/plugin/DvlSlots.h"
#include "ui/IDvlHost.h"

struct HostCall {
    int slot;
    UINT code;      // slot 11: request code; slot 10: sub-code
    UINT_PTR arg;   // slot 11: argument; slot 8: first argument; slot 7: flags
    void* ptr;      // slot 11: pointer; slot 8: second argument (as a value)
    DWORD initial;  // slot 11 with a DWORD pointer, slot 9: the value it pointed to
};

// The slot table pointer must come first, as in any COM object.
struct TestHost {
    const DvlHostSlots* slots;

    TestHost();
    IDvlHost* Site() { return reinterpret_cast<IDvlHost*>(this); }

    // Calls in order, and those of one slot / request.
    std::vector<HostCall> calls;
    std::vector<HostCall> Slot(int slot) const;
    std::vector<HostCall> Requests(UINT code) const;
    void Clear() { calls.clear(); }

    // Answers.
    DWORD iconSize = 16;
    HRESULT metricsAnswer = S_OK;  // what slot 3 answers, whatever it filled
    DWORD metricsValue4 = 0;
    HFONT menuFont = nullptr;
    HWND barWindow = nullptr;
    POINT iconOffset = {0, 0};
    BYTE entryStyle[24] = {};    // written whole into the record of slot 9
    DWORD entryColour = 0;
    DWORD iconFlags = 0;         // request 20
    DWORD textStyle = 0;         // request 21
    bool answerTextStyle = false;
    std::wstring baseFolder;     // request 10
    LONG refs = 1;
    DWORD metricsSizeSeen = 0;   // cbSize of the last metrics record

    static const DvlHostSlots kSlots;

    static TestHost* Self(void* self) { return static_cast<TestHost*>(self); }
    static HRESULT STDMETHODCALLTYPE QueryInterface(void* self, REFIID riid, void** ppv);
    static ULONG STDMETHODCALLTYPE AddRef(void* self);
    static ULONG STDMETHODCALLTYPE Release(void* self);
    static HRESULT STDMETHODCALLTYPE GetMetrics(void* self, DVLMETRICS* metrics);
    static HWND STDMETHODCALLTYPE GetBarWindow(void* self);
    static HRESULT STDMETHODCALLTYPE NotifyChanged(void* self);
    static HRESULT STDMETHODCALLTYPE Reserved6(void* self);
    static HRESULT STDMETHODCALLTYPE GetIconOffset(void* self, POINT* offset, const RECT* rect, DWORD flags);
    static HRESULT STDMETHODCALLTYPE Reserved8(void* self, UINT_PTR a, UINT_PTR b);
    static HRESULT STDMETHODCALLTYPE GetEntryStyle(void* self, void* record24, DWORD* value);
    static HRESULT STDMETHODCALLTYPE Refresh(void* self, DWORD subCode);
    static HRESULT STDMETHODCALLTYPE Request(void* self, UINT code, UINT_PTR arg, void* ptr);
};
