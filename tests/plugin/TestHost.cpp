#include "tests/plugin/TestHost.h"
#include <cstring>

const DvlHostSlots TestHost::kSlots = {
    QueryInterface, AddRef, Release, GetMetrics, GetBarWindow, NotifyChanged,
    Reserved6, GetIconOffset, Reserved8, GetEntryStyle, Refresh, Request,
};

TestHost::TestHost() : slots(&kSlots) {}

std::vector<HostCall> TestHost::Slot(int slot) const {
    std::vector<HostCall> found;
    for (const HostCall& call : calls)
        if (call.slot == slot) found.push_back(call);
    return found;
}

std::vector<HostCall> TestHost::Requests(UINT code) const {
    std::vector<HostCall> found;
    for (const HostCall& call : calls)
        if (call.slot == 11 && call.code == code) found.push_back(call);
    return found;
}

HRESULT TestHost::QueryInterface(void* self, REFIID riid, void** ppv) {
    Self(self)->calls.push_back({0, 0, 0, nullptr, 0});
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG TestHost::AddRef(void* self) {
    Self(self)->calls.push_back({1, 0, 0, nullptr, 0});
    return static_cast<ULONG>(++Self(self)->refs);
}

ULONG TestHost::Release(void* self) {
    Self(self)->calls.push_back({2, 0, 0, nullptr, 0});
    return static_cast<ULONG>(--Self(self)->refs);
}

HRESULT TestHost::GetMetrics(void* self, DVLMETRICS* metrics) {
    TestHost* host = Self(self);
    host->calls.push_back({3, 0, 0, metrics, metrics->cbSize});
    host->metricsSizeSeen = metrics->cbSize;
    if (metrics->cbSize != sizeof(DVLMETRICS)) return E_INVALIDARG;
    metrics->value4 = host->metricsValue4;
    metrics->menuFont = host->menuFont;
    metrics->iconSize = host->iconSize;
    return host->metricsAnswer;
}

HWND TestHost::GetBarWindow(void* self) {
    Self(self)->calls.push_back({4, 0, 0, nullptr, 0});
    return Self(self)->barWindow;
}

HRESULT TestHost::NotifyChanged(void* self) {
    Self(self)->calls.push_back({5, 0, 0, nullptr, 0});
    return S_OK;
}

HRESULT TestHost::Reserved6(void* self) {
    Self(self)->calls.push_back({6, 0, 0, nullptr, 0});
    return S_OK;
}

HRESULT TestHost::GetIconOffset(void* self, POINT* offset, const RECT* rect, DWORD flags) {
    Self(self)->calls.push_back({7, 0, flags, const_cast<RECT*>(rect), 0});
    *offset = Self(self)->iconOffset;
    return S_OK;
}

HRESULT TestHost::Reserved8(void* self, UINT_PTR a, UINT_PTR b) {
    Self(self)->calls.push_back({8, 0, a, reinterpret_cast<void*>(b), 0});
    return S_OK;
}

HRESULT TestHost::GetEntryStyle(void* self, void* record24, DWORD* value) {
    TestHost* host = Self(self);
    host->calls.push_back({9, 0, 0, record24, *value});
    std::memcpy(record24, host->entryStyle, sizeof(host->entryStyle));
    *value = host->entryColour;
    return S_OK;
}

HRESULT TestHost::Refresh(void* self, DWORD subCode) {
    Self(self)->calls.push_back({10, subCode, 0, nullptr, 0});
    return S_OK;
}

HRESULT TestHost::Request(void* self, UINT code, UINT_PTR arg, void* ptr) {
    TestHost* host = Self(self);
    bool valueRequest = code == DVLREQ_QUERY3 || code == 17 || code == DVLREQ_ICONFLAGS ||
                        code == DVLREQ_TEXTSTYLE;
    DWORD initial = valueRequest && ptr ? *static_cast<DWORD*>(ptr) : 0;
    host->calls.push_back({11, code, arg, ptr, initial});
    switch (code) {
    case DVLREQ_QUERY3: *static_cast<DWORD*>(ptr) = 7; break;
    case 17: *static_cast<DWORD*>(ptr) = 9; break;
    case DVLREQ_ICONFLAGS: *static_cast<DWORD*>(ptr) = host->iconFlags; break;
    case DVLREQ_TEXTSTYLE:
        if (host->answerTextStyle) *static_cast<DWORD*>(ptr) = host->textStyle;
        break;
    case DVLREQ_BASEFOLDER:
        if (ptr) lstrcpynW(static_cast<WCHAR*>(ptr), host->baseFolder.c_str(), MAX_PATH);
        break;
    }
    return S_OK;
}
