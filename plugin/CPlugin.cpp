#include "plugin/CPlugin.h"
#include <new>
#include <utility>
#include "base/ComObject.h"
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "ui/CClipBoardButton.h"

namespace {

// Every wrapper shares one IDvlButton table; a pointer whose table differs is
// not one of ours, and its fields must not be read as a wrapper's.
std::atomic<void*> g_wrapperTable{nullptr};

HRESULT Answer(BOOL yes) { return yes ? S_OK : S_FALSE; }

template <typename T>
void Put(void* out, T value) {
    *static_cast<T*>(out) = value;
}

}  // namespace

CPlugin* CPlugin::Create(CDvlButton* button) {
    ButtonOwner owned(button ? button : new (std::nothrow) CClipBoardButton());
    if (!owned) return nullptr;
    // Without memory for the wrapper, the button goes as the wrapper's would.
    return new (std::nothrow) CPlugin(std::move(owned));
}

CPlugin* CPlugin::FromInterface(IDvlButton* button) {
    if (!button) return nullptr;
    void* table = *reinterpret_cast<void**>(button);
    if (table != g_wrapperTable.load()) return nullptr;
    return static_cast<CPlugin*>(button);
}

CPlugin::CPlugin(ButtonOwner&& button) : m_refs(1), m_button(std::move(button)), m_site(nullptr) {
    g_wrapperTable.store(*reinterpret_cast<void**>(static_cast<IDvlButton*>(this)));
    ModuleAddObject();
}

CPlugin::~CPlugin() {
    m_button.reset();
    ModuleReleaseObject();
}

HRESULT CPlugin::QueryInterface(REFIID riid, void** ppv) {
    return mx::com_barrier([&]() -> HRESULT {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (mx::same_iid(riid, IID_IUnknown) || mx::same_iid(riid, IID_IDvlButton)) {
            *ppv = static_cast<IDvlButton*>(this);
            AddRef();
            return S_OK;
        }
        // The button's own QueryInterface has already added the caller's reference.
        if (m_button->QueryDataInterface(riid, ppv) && *ppv) return S_OK;
        *ppv = nullptr;
        return E_NOINTERFACE;
    });
}

ULONG CPlugin::AddRef() { return static_cast<ULONG>(++m_refs); }

ULONG CPlugin::Release() {
    LONG refs = --m_refs;
    if (refs == 0) delete this;
    return static_cast<ULONG>(refs);
}

HRESULT CPlugin::LoadSettings(IStream* stream) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->LoadSettings(stream)); });
}
HRESULT CPlugin::SaveSettings(IStream* stream) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->SaveSettings(stream)); });
}

HRESULT CPlugin::SetClassId(const GUID* id) {
    return mx::com_barrier([&]() -> HRESULT {
        m_button->SetClassId(id);
        return S_OK;
    });
}

HRESULT CPlugin::SetSite(IDvlHost* site) {
    return mx::com_barrier([&]() -> HRESULT {
        m_site = site;
        m_button->SetContainer(this);
        return S_OK;
    });
}

HRESULT CPlugin::SetHostFlags(DWORD flags) {
    return mx::com_barrier([&]() -> HRESULT {
        m_button->SetHostFlags(flags);
        return S_OK;
    });
}

HRESULT CPlugin::DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) {
    return mx::com_barrier([&]() -> HRESULT {
        m_button->DrawButtonIcon(dc, rect, flags);
        return S_OK;
    });
}

HRESULT CPlugin::Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved9(a, b, c)); });
}
HRESULT CPlugin::Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved10(a, b, c)); });
}
HRESULT CPlugin::Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved11(a, b, c)); });
}

HRESULT CPlugin::EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) {
    return mx::com_barrier([&]() -> HRESULT {
        if (!m_button->EditProperties(stream, a, b)) return S_FALSE;
        return SaveSettings(stream);
    });
}

HRESULT CPlugin::Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved13(a, b, c)); });
}
HRESULT CPlugin::Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved14(a, b, c)); });
}
HRESULT CPlugin::Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Reserved15(a, b, c)); });
}
HRESULT CPlugin::Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    return mx::com_barrier([&]() -> HRESULT { return Answer(m_button->Execute(a, b, c)); });
}

HRESULT CPlugin::Command(UINT code, UINT_PTR a, UINT_PTR b) {
    return mx::com_barrier([&]() -> HRESULT {
        switch (code) {
        case DVLCMD_PROPERTIES: return Answer(m_button->OnCommandProperties(0, a, b));
        case DVLCMD_2: return Answer(m_button->OnCommand2(0, a, b));
        case DVLCMD_2000: return Answer(m_button->OnCommand2000(0, a, b));
        case DVLCMD_DELETE: return Answer(m_button->OnCommandDelete(0, a, b));
        default: return S_FALSE;
        }
    });
}

HRESULT CPlugin::SetName(const WCHAR* caption) {
    return mx::com_barrier([&]() -> HRESULT {
        m_button->SetName(caption);
        return S_OK;
    });
}

HRESULT CPlugin::AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) {
    return mx::com_barrier([&]() -> HRESULT {
        return static_cast<HRESULT>(m_button->AddMenuItems(menu, position, firstId, more));
    });
}

HRESULT CPlugin::MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) {
    return mx::com_barrier([&]() -> HRESULT {
        return Answer(m_button->MenuCommand(number, a, b));
    });
}

HRESULT CPlugin::SetLanguage(UINT languageId, HMODULE module) {
    return mx::com_barrier([&]() -> HRESULT {
        m_button->SetLanguage(languageId, module);
        return S_OK;
    });
}

HRESULT CPlugin::GetIconLocation(WCHAR* buffer) {
    return mx::com_barrier([&]() -> HRESULT {
        if (!buffer) return E_POINTER;
        m_button->GetIconLocation(buffer);
        return S_OK;
    });
}

HRESULT CPlugin::SetIconLocation(const WCHAR* location) {
    return mx::com_barrier([&]() -> HRESULT {
        return Answer(m_button->SetIconLocation(location));
    });
}

HRESULT CPlugin::GetInfo(DVLBUTTONINFO* info) {
    return mx::com_barrier([&]() -> HRESULT {
        if (!info) return E_POINTER;
        DWORD mask = info->mask;
        if (mask & DVLINFO_KIND) info->kind = m_button->GetKindBits();
        if (mask & DVLINFO_STYLE) info->style = m_button->GetStyle() | 0x80;
        if (mask & DVLINFO_SIZE) m_button->MeasureItem(&info->size, 0);
        if (mask & DVLINFO_SIZE2) m_button->MeasureItem(&info->size, 1);
        if (mask & DVLINFO_TEXT) m_button->GetInfoText(info->text);
        return S_OK;
    });
}

HRESULT CPlugin::HandleMessage(UINT code, UINT arg, void* out) {
    return mx::com_barrier([&]() -> HRESULT {
        switch (code) {
        case 6: m_button->OnMessage6(out); return S_OK;
        case 7: m_button->OnMessage7(); return S_OK;
        case 8: m_button->OnMessage8(); return S_OK;
        case 11: m_button->OnMessage11(out); return S_OK;
        case 12: m_button->CloseUpdateEvent(static_cast<HANDLE>(out)); return S_OK;
        case 15: return Answer(m_button->ReleaseChild(out));
        case 25: m_button->OnHotKey(static_cast<UINT>(reinterpret_cast<UINT_PTR>(out))); return S_OK;
        case 33: return Answer(m_button->OnMessage33(arg, out) != 0);
        case 36: m_button->OnMessage36(); return S_OK;
        case 40: m_button->OnMessage40(); return S_OK;
        case 41: case 42: case 43: return HandlePointMessage(code, arg, out);
        case 1: case 2: case 5: case 9: case 10: case 17: case 18: case 19: case 22: case 23:
        case 24: case 26: case 27: case 28: case 44:
            return out ? HandleValueMessage(code, arg, out) : E_POINTER;
        case 4: case 13: case 14: case 16: case 20: case 21: case 29: case 30: case 31:
        case 34: case 35: case 45: case 46:
            return out ? HandleRecordMessage(code, arg, out) : E_POINTER;
        default: return S_FALSE;
        }
    });
}

// Messages that write one value (or a text) into the pointer argument.
HRESULT CPlugin::HandleValueMessage(UINT code, UINT arg, void* out) {
    switch (code) {
    case 1: Put<DWORD>(out, m_button->OnMessage1()); return S_OK;
    case 2: m_button->GetClassId(static_cast<GUID*>(out)); return S_OK;
    case 5: Put<DWORD>(out, m_button->OnMessage5()); return S_OK;
    case 9: Put<DWORD>(out, m_button->OnMessage9()); return S_OK;
    case 10: Put<HANDLE>(out, m_button->CreateUpdateEvent()); return S_OK;
    case 17: Put<DWORD>(out, m_button->TakeChangeFlags()); return S_OK;
    case 18: m_button->GetChildId(static_cast<WCHAR*>(out)); return S_OK;
    case 19: Put<DWORD>(out, m_button->OnMessage19()); return S_OK;
    case 23: Put<HICON>(out, m_button->GetLargeIcon(arg)); return S_OK;
    case 26: Put<DWORD>(out, m_button->OnMessage26()); return S_OK;
    case 27: m_button->GetName(static_cast<WCHAR*>(out)); return S_OK;
    case 28: Put<DWORD>(out, m_button->OnMessage28(arg)); return S_OK;
    case 44: Put<DWORD>(out, m_button->OnMessage44() ? 1 : 0); return S_OK;
    case 22:
    case 24: {
        WCHAR* text = code == 22 ? m_button->GetTipText(arg) : m_button->GetTipCaption(arg);
        Put<WCHAR*>(out, text);
        return Answer(text != nullptr);
    }
    default: return S_FALSE;
    }
}

// Messages with a record: the button works on a copy of the named fields,
// and only the named fields are copied back.
HRESULT CPlugin::HandleRecordMessage(UINT code, UINT arg, void* out) {
    auto bytes = static_cast<BYTE*>(out);
    switch (code) {
    case 4: {
        DVLRECORD4 record = {};
        if (!m_button->OnMessage4(arg, &record)) return S_FALSE;
        auto target = static_cast<DVLRECORD4*>(out);
        target->value0 = record.value0;
        ::CopyMemory(target->text, record.text, sizeof(record.text));
        target->value524 = record.value524;
        target->value528 = record.value528;
        return S_OK;
    }
    case 13: case 14: return EnumerateChild(code, out);
    case 16: return CreateChild(out);
    case 20: return CompareChildren(out);
    case 21: return GetSortKey(arg, out);
    case 29: {
        auto pointers = static_cast<void**>(out);
        m_button->OnMessage29(pointers[0], pointers[1], arg);
        return S_OK;
    }
    case 30: {
        SIZE value = {*reinterpret_cast<LONG*>(bytes + 12), *reinterpret_cast<LONG*>(bytes + 16)};
        m_button->OnMessage30(&value);
        *reinterpret_cast<LONG*>(bytes + 12) = value.cx;
        *reinterpret_cast<LONG*>(bytes + 16) = value.cy;
        return S_OK;
    }
    case 31: {
        auto source = static_cast<const DVLDRAWIMAGE*>(out);
        DVLDRAWIMAGE record = {};
        record.dc = source->dc;
        record.x = source->x;
        record.y = source->y;
        record.image = source->image;
        m_button->DrawRecordImage(&record);
        return S_OK;
    }
    case 34: case 35: {
        auto record = static_cast<DVLRECORD34*>(out);
        DWORD value = code == 34 ? record->value8 : record->value12;
        record->value12 = code == 34 ? m_button->OnMessage34(record->pointer, value)
                                     : m_button->OnMessage35(record->pointer, value);
        return S_OK;
    }
    case 45: case 46: {
        DWORD value = *static_cast<DWORD*>(out);
        BOOL yes = code == 45 ? m_button->OnMessage45(&value) : m_button->OnMessage46(&value);
        if (yes) Put<DWORD>(out, value);
        return Answer(yes);
    }
    default: return S_FALSE;
    }
}

// The pointer argument of messages 41 to 43 is a point packed like an lParam.
HRESULT CPlugin::HandlePointMessage(UINT code, UINT arg, void* out) {
    auto packed = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(out));
    int x = static_cast<short>(LOWORD(packed));
    int y = static_cast<short>(HIWORD(packed));
    DWORD answer = code == 41 ? m_button->OnMessage41(arg, x, y)
                 : code == 42 ? m_button->OnMessage42(arg, x, y)
                              : m_button->OnMessage43(arg, x, y);
    return Answer(answer != 0);
}

HRESULT CPlugin::EnumerateChild(UINT code, void* out) {
    auto target = static_cast<DVLENUMCHILD*>(out);
    DVLENUMCHILD record = *target;
    BOOL yes = code == 13 ? m_button->GetChildFirst(&record) : m_button->GetChildNext(&record);
    if (yes) {
        *target = record;
        return S_OK;
    }
    if (code == 14) target->next = 0;
    return S_FALSE;
}

HRESULT CPlugin::CreateChild(void* out) {
    auto target = static_cast<DVLCREATECHILD*>(out);
    CPlugin* parent = FromInterface(target->parent);
    DvlCreateChild record = {parent ? parent->m_button.get() : nullptr, target->item, nullptr};
    if (!m_button->CreateChildButton(&record)) return S_FALSE;
    CPlugin* child = record.child ? Create(record.child) : nullptr;
    target->child = child;
    return S_OK;
}

HRESULT CPlugin::CompareChildren(void* out) {
    auto target = static_cast<DVLCOMPARE*>(out);
    CPlugin* first = FromInterface(target->first);
    CPlugin* second = FromInterface(target->second);
    if (!first || !second) return E_INVALIDARG;
    DvlCompareChildren record = {first->m_button.get(), second->m_button.get(), target->key, target->result};
    m_button->CompareChildren(&record);
    target->result = record.result;
    return S_OK;
}

HRESULT CPlugin::GetSortKey(UINT arg, void* out) {
    auto target = static_cast<DVLSORTKEY*>(out);
    DVLSORTKEY record = *target;
    if (!m_button->GetSortKey(arg, &record)) return S_FALSE;
    *target = record;
    return S_OK;
}

// The bar's compiler lays out a virtual destructor as one slot taking a flag:
// bit 0 frees the memory as well.
void* CPlugin::DeletingDestructor(UINT deleteFlag) {
    if (deleteFlag & 1) {
        delete this;
    } else {
        this->~CPlugin();
    }
    return this;
}

// CDvlContainer: each operation reaches the bar through its stored site; a
// wrapper without a site answers with the defaults and sends nothing.

// Bars differ in what their metrics slot answers: whatever it answers, the
// fields it filled count, and one it left zero keeps its default.
DVLMETRICS CPlugin::QueryMetrics() {
    DVLMETRICS metrics = {};
    metrics.cbSize = sizeof(DVLMETRICS);
    if (m_site) m_site->GetMetrics(&metrics);
    return metrics;
}

HRESULT CPlugin::Request(UINT code, UINT_PTR arg, void* ptr) {
    return m_site ? m_site->Request(code, arg, ptr) : E_FAIL;
}

HRESULT CPlugin::HostReserved8(UINT_PTR a, UINT_PTR b) { return m_site ? m_site->Reserved8(a, b) : E_FAIL; }
HWND CPlugin::GetBarWindow() { return m_site ? m_site->GetBarWindow() : nullptr; }

HRESULT CPlugin::GetIconOffset(POINT* offset, const RECT* rect, DWORD flags) {
    if (!m_site) return E_FAIL;
    return m_site->GetIconOffset(offset, rect, flags);
}

DWORD CPlugin::GetIconSize() {
    const DWORD size = QueryMetrics().iconSize;
    return size ? size : 16;
}

DWORD CPlugin::GetIconFlags() {
    DWORD value = 0;
    Request(DVLREQ_ICONFLAGS, 0, &value);
    return value;
}

DWORD CPlugin::GetMetricsValue4() {
    return QueryMetrics().value4;
}

HFONT CPlugin::GetMenuFont() {
    return QueryMetrics().menuFont;
}

COLORREF CPlugin::GetEntryTextColor() {
    BYTE scratch[24] = {};
    DWORD value = 0;
    if (m_site) m_site->GetEntryStyle(scratch, &value);
    return value;
}

DWORD CPlugin::GetTextStyle() {
    DWORD value = static_cast<DWORD>(-1);
    Request(DVLREQ_TEXTSTYLE, 0, &value);
    return value;
}

// The bar fills a record of 24 bytes; the caller's holds only the first 16.
HRESULT CPlugin::GetItemMargins(RECT* margins) {
    *margins = {};
    if (!m_site) return E_FAIL;
    BYTE record[24] = {};
    DWORD scratch = 0;
    HRESULT hr = m_site->GetEntryStyle(record, &scratch);
    ::CopyMemory(margins, record, sizeof(RECT));
    return hr;
}

HRESULT CPlugin::SetHotKey(WORD hotkey, UINT id) {
    return Request(DVLREQ_SETHOTKEY, hotkey, reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
}

DWORD CPlugin::Request3() {
    DWORD value = 1;
    Request(DVLREQ_QUERY3, 0, &value);
    return value;
}

HRESULT CPlugin::Request4() { return Request(4, 0, nullptr); }
HRESULT CPlugin::Request5() { return Request(5, 0, nullptr); }
HRESULT CPlugin::Request6() { return Request(6, 0, nullptr); }
HRESULT CPlugin::Request7() { return Request(7, 0, nullptr); }
HRESULT CPlugin::Request8() { return Request(8, 0, nullptr); }
HRESULT CPlugin::Request9() { return Request(9, 0, nullptr); }

HRESULT CPlugin::GetBaseFolder(UINT_PTR arg, WCHAR* buffer) {
    return Request(DVLREQ_BASEFOLDER, arg, buffer);
}

HRESULT CPlugin::Request11(UINT_PTR arg) { return Request(11, arg, nullptr); }
HRESULT CPlugin::NotifyChanged() { return m_site ? m_site->NotifyChanged() : E_FAIL; }
HRESULT CPlugin::Refresh1() { return m_site ? m_site->Refresh(DVLREFRESH_1) : E_FAIL; }
HRESULT CPlugin::Invalidate() { return m_site ? m_site->Refresh(DVLREFRESH_INVALIDATE) : E_FAIL; }
HRESULT CPlugin::Refresh4() { return m_site ? m_site->Refresh(DVLREFRESH_4) : E_FAIL; }
HRESULT CPlugin::Request15(UINT_PTR arg) { return Request(15, arg, nullptr); }
HRESULT CPlugin::ActivateMenu() { return Request(DVLREQ_ACTIVATEMENU, 0, nullptr); }

DWORD CPlugin::Request17() {
    DWORD value = 1;
    Request(17, 1, &value);
    return value;
}

ULONG CPlugin::Request18(UINT_PTR arg) {
    if (!m_site) return 0;
    m_site->AddRef();
    m_site->Request(18, 0, reinterpret_cast<void*>(arg));
    return m_site->Release();
}
