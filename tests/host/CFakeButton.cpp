#include "CFakeButton.h"
#include <cwchar>
#include "CFakeState.h"

namespace {

std::wstring Format(const wchar_t* format, ...) {
    wchar_t text[1024];
    va_list args;
    va_start(args, format);
    vswprintf(text, 1024, format, args);
    va_end(args);
    return text;
}

void Log(const std::wstring& line) { CFakeState::Get().Log(line); }

std::wstring GuidText(const GUID& g) {
    wchar_t text[40];
    StringFromGUID2(g, text, 40);
    return text;
}

}  // namespace

CFakeButton::CFakeButton(CFakeItem* item) : m_item(item) {
    if (m_item) m_item->AddRef();
    ++CFakeState::Get().live;
}

CFakeButton::~CFakeButton() {
    if (!m_item) Log(L"destroyed");
    if (m_item) m_item->Release();
    --CFakeState::Get().live;
}

HRESULT CFakeButton::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IDvlButton, this}});
}

void* CFakeButton::DeletingDestructor(UINT deleteFlag) {
    if (deleteFlag & 1) delete this;
    return this;
}

UINT CFakeButton::IconSize() {
    DVLMETRICS metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!m_site || m_site->GetMetrics(&metrics) != S_OK) return 16;
    return metrics.iconSize;
}

void CFakeButton::AskTheBar() {
    DVLMETRICS metrics{};
    metrics.cbSize = sizeof(metrics);
    HRESULT hr = m_site->GetMetrics(&metrics);
    LOGFONTW font{};
    if (metrics.menuFont) GetObjectW(metrics.menuFont, sizeof(font), &font);
    Log(Format(L"metrics 0x%08lX icon=%lu font=%ls", hr, metrics.iconSize, font.lfFaceName));
    WCHAR folder[MAX_PATH] = L"?";
    hr = m_site->Request(DVLREQ_BASEFOLDER, 0, folder);
    Log(Format(L"base 0x%08lX %ls", hr, folder));
    DWORD flags = 0x12345;
    hr = m_site->Request(DVLREQ_ICONFLAGS, 0, &flags);
    Log(Format(L"iconflags 0x%08lX %lu", hr, flags));
    DWORD style = 0;
    hr = m_site->Request(DVLREQ_TEXTSTYLE, 0, &style);
    Log(Format(L"textstyle 0x%08lX 0x%08lX", hr, style));
    LONG margins[6] = {-1, -1, -1, -1, 77, 77};
    DWORD colour = 0x12345678;
    hr = m_site->GetEntryStyle(margins, &colour);
    Log(Format(L"entry 0x%08lX %ld,%ld,%ld,%ld,%ld,%ld 0x%08lX", hr, margins[0], margins[1],
               margins[2], margins[3], margins[4], margins[5], colour));
    WORD hotkey = CFakeState::Get().hotkey;
    if (hotkey) {
        hr = m_site->Request(DVLREQ_SETHOTKEY, hotkey, reinterpret_cast<void*>(1));
        Log(Format(L"hotkey 0x%04X 0x%08lX", hotkey, hr));
    }
}

HRESULT CFakeButton::LoadSettings(IStream* stream) {
    std::vector<BYTE>& loaded = CFakeState::Get().loaded;
    loaded.clear();
    BYTE chunk[256];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof(chunk), &read)) && read > 0)
        loaded.insert(loaded.end(), chunk, chunk + read);
    Log(Format(L"LoadSettings %u", static_cast<unsigned>(loaded.size())));
    if (m_site) AskTheBar();
    return S_OK;
}

HRESULT CFakeButton::SaveSettings(IStream* stream) {
    Log(L"SaveSettings");
    // What was loaded, then bytes that text-mode or truncating writers would spoil.
    std::vector<BYTE> bytes = CFakeState::Get().loaded;
    BYTE tail[] = {0x00, 0xFF, 0x1A, 0x0D, 0x0A, static_cast<BYTE>(bytes.size())};
    bytes.insert(bytes.end(), tail, tail + sizeof(tail));
    bool fail = CFakeState::Get().failSave;
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(fail ? bytes.size() / 2 : bytes.size()), &written);
    return fail ? S_FALSE : S_OK;
}

HRESULT CFakeButton::SetClassId(const GUID* id) {
    m_classId = *id;
    Log(L"SetClassId " + GuidText(*id));
    return S_OK;
}

HRESULT CFakeButton::SetSite(IDvlHost* site) {
    m_site = site;
    Log(site ? L"SetSite" : L"SetSite null");
    return S_OK;
}

HRESULT CFakeButton::SetHostFlags(DWORD flags) {
    Log(Format(L"SetHostFlags %lu", flags));
    return S_OK;
}

HRESULT CFakeButton::DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) {
    POINT offset = {0, 0};
    if (m_site) m_site->GetIconOffset(&offset, rect, flags);
    int size = static_cast<int>(IconSize());
    int x = rect->left + offset.x, y = rect->top + offset.y;
    int coloured = size * 3 / 4;
    // Left half opaque blue; right half half-transparent red; the bottom quarter left empty.
    RECT left = {x, y, x + size / 2, y + coloured};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &left, blue);
    DeleteObject(blue);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC source = CreateCompatibleDC(dc);
    HBITMAP pixel = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *static_cast<DWORD*>(bits) = 0x80800000;  // premultiplied red at alpha 128
    HGDIOBJ old = SelectObject(source, pixel);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x + size / 2, y, size - size / 2, coloured, source, 0, 0, 1, 1, blend);
    SelectObject(source, old);
    DeleteObject(pixel);
    DeleteDC(source);
    return S_OK;
}

HRESULT CFakeButton::Reserved9(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Reserved10(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Reserved11(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::EditProperties(IStream*, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Reserved13(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Reserved14(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Reserved15(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Execute(UINT_PTR, UINT_PTR, UINT_PTR) { return S_FALSE; }
HRESULT CFakeButton::Command(UINT, UINT_PTR, UINT_PTR) { return S_FALSE; }

HRESULT CFakeButton::SetName(const WCHAR* caption) {
    m_caption = caption ? caption : L"";
    Log(L"SetName " + m_caption);
    return S_OK;
}

HRESULT CFakeButton::AddMenuItems(HMENU, UINT, UINT, UINT) { return 0; }
HRESULT CFakeButton::MenuCommand(UINT, UINT_PTR, UINT_PTR) { return S_FALSE; }

HRESULT CFakeButton::SetLanguage(UINT languageId, HMODULE module) {
    Log(Format(L"SetLanguage %u %ls", languageId, module ? L"module" : L"null"));
    return S_OK;
}

HRESULT CFakeButton::GetIconLocation(WCHAR* buffer) {
    lstrcpynW(buffer, m_location.c_str(), MAX_PATH);
    return S_OK;
}

HRESULT CFakeButton::SetIconLocation(const WCHAR* location) {
    m_location = location ? location : L"";
    Log(L"SetIconLocation " + m_location);
    if (m_site) {
        m_site->NotifyChanged();
        m_site->Refresh(DVLREFRESH_INVALIDATE);
    }
    return S_OK;
}

HRESULT CFakeButton::GetInfo(DVLBUTTONINFO* info) {
    if (info->mask & DVLINFO_KIND) info->kind = m_item ? 4 : 0x1805;
    if (info->mask & DVLINFO_STYLE) info->style = (m_item ? 32 : 48) | 0x80;
    if (info->mask & DVLINFO_SIZE) {
        if (info->size.cx < 40) info->size.cx = 40;
        if (info->size.cy < 24) info->size.cy = 24;
    }
    if (info->mask & DVLINFO_SIZE2 && info->size.cy < 30) info->size.cy = 30;
    if (info->mask & DVLINFO_TEXT) lstrcpynW(info->text, m_caption.c_str(), MAX_PATH);
    return S_OK;
}

HRESULT CFakeButton::Enumerate(DVLENUMCHILD* record, UINT index) {
    if (index >= CFakeState::Get().children) {
        record->next = 0;
        Log(index == 0 ? L"GetChildFirst end" : L"GetChildNext end");
        return S_FALSE;
    }
    record->item = new CFakeItem(static_cast<int>(index) + 1);
    record->next = index + 1;
    if (record->text) swprintf(record->text, MAX_PATH, L"fake:%u", index + 1);
    return S_OK;
}

HRESULT CFakeButton::CreateChild(DVLCREATECHILD* record) {
    if (record->parent != static_cast<IDvlButton*>(this) || !record->item) return S_FALSE;
    auto* item = static_cast<CFakeItem*>(record->item);
    record->child = new CFakeButton(item);
    Log(Format(L"CreateChildButton %d", item->Id()));
    return S_OK;
}

HRESULT CFakeButton::TaskText(const std::wstring& text, void* out) {
    size_t bytes = (text.size() + 1) * sizeof(WCHAR);
    auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    memcpy(copy, text.c_str(), bytes);
    *static_cast<WCHAR**>(out) = copy;
    return S_OK;
}

std::wstring CFakeButton::TipText() {
    if (m_item) return Format(L"Tip of child %d", m_item->Id());
    DWORD style = 0;
    WCHAR folder[MAX_PATH] = L"";
    if (m_site) {
        m_site->Request(DVLREQ_TEXTSTYLE, 0, &style);
        m_site->Request(DVLREQ_BASEFOLDER, 0, folder);
    }
    return Format(L"Fake tip: icon=%u glow=%ld base=%ls", IconSize(), static_cast<long>(style), folder);
}

HRESULT CFakeButton::CloseUpdateEvent(void* event) {
    const bool ours = m_event && event == m_event.get();
    Log(ours ? L"CloseUpdateEvent ours" : L"CloseUpdateEvent other");
    if (ours) m_event.reset();
    return S_OK;
}

HRESULT CFakeButton::HandleMessage(UINT code, UINT arg, void* out) {
    switch (code) {
    case 2:
        *static_cast<GUID*>(out) = m_classId;
        return S_OK;
    case 10:
        if (!m_event) m_event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        *static_cast<HANDLE*>(out) = m_event.get();
        Log(L"CreateUpdateEvent");
        return S_OK;
    case 12:
        return CloseUpdateEvent(out);
    case 13:
        if (m_item) return S_FALSE;
        return Enumerate(static_cast<DVLENUMCHILD*>(out), 0);
    case 14: {
        auto* record = static_cast<DVLENUMCHILD*>(out);
        return Enumerate(record, record->next);
    }
    case 15: {
        auto* item = static_cast<CFakeItem*>(static_cast<DVLENUMCHILD*>(out)->item);
        Log(Format(L"ReleaseChild %d", item->Id()));
        item->Release();
        return S_OK;
    }
    case 16:
        return CreateChild(static_cast<DVLCREATECHILD*>(out));
    case 18:
        swprintf(static_cast<WCHAR*>(out), MAX_PATH, L"fake:%d", ItemId());
        return S_OK;
    case 20: {
        // Newest first: the larger id sorts earlier.
        auto* record = static_cast<DVLCOMPARE*>(out);
        if (record->key != 1) return S_OK;
        int a = static_cast<CFakeButton*>(record->first)->ItemId();
        int b = static_cast<CFakeButton*>(record->second)->ItemId();
        record->result = a > b ? -1 : (a < b ? 1 : 0);
        return S_OK;
    }
    case 21: {
        if (arg != 0) return S_FALSE;
        auto* record = static_cast<DVLSORTKEY*>(out);
        record->keyId = 1;
        lstrcpynW(record->text, L"Newest first", MAX_PATH);
        return S_OK;
    }
    case 22:
        return TaskText(TipText(), out);
    case 24:
        if (!m_item) return S_FALSE;
        return TaskText(L"Fake entry", out);
    case 25: {
        UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(out));
        Log(Format(L"OnHotKey %u", id));
        if (id == 1 && m_site) m_site->Request(DVLREQ_ACTIVATEMENU, 0, nullptr);
        return S_OK;
    }
    case 27:
        if (m_item) swprintf(static_cast<WCHAR*>(out), MAX_PATH, L"Child#%d", m_item->Id());
        else lstrcpynW(static_cast<WCHAR*>(out), m_caption.c_str(), MAX_PATH);
        return S_OK;
    default:
        return S_FALSE;
    }
}
