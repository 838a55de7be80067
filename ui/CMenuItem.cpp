#include "ui/CMenuItem.h"
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include "base/ExceptionBarrier.h"
#include "base/Module.h"
#include "base/Unique.h"
#include "clipdata/CClipboardFormat.h"
#include "clipdata/CClipboardItem.h"
#include "clipdata/CEnumClipboardFormats.h"
#include "clipdata/CPlainText.h"
#include "draw/GlowText.h"
#include "image/CxImage.h"
#include "ui/CMyEngine.h"
#include "ui/CXMLSaveDlg.h"
#include "ui/IHistoryOwner.h"
#include "watcher/CObClipboard.h"

namespace {

const WCHAR kDragRecordName[] = L"Dravelle button";
const WCHAR kDefaultLock[] = L"Lock";
const WCHAR kDefaultSave[] = L"Save...";
const WCHAR kDefaultPlainText[] = L"Copy as plain text";
const WCHAR kDefaultTipCaption[] = L"Clipboard Snapshot";

// Room between the icon and the preview, and around the preview.
const int kPreviewGap = 4;
const int kRuleGap = 3;
// The bar's buffers for ids and names.
const int kHostTextLength = MAX_PATH;

const DWORD kChangedState = 0x400;
const DWORD kChangedTime = 0x100;

}  // namespace

CMenuItem::CMenuItem(IHistoryOwner* root, CClipboardItem* item) : m_root(root), m_item(item) {}

UINT CMenuItem::DragRecordFormat() { return ::RegisterClipboardFormatW(kDragRecordName); }

WCHAR* CMenuItem::TaskMemCopy(const WCHAR* text) {
    size_t bytes = (::lstrlenW(text) + 1) * sizeof(WCHAR);
    auto copy = static_cast<WCHAR*>(::CoTaskMemAlloc(bytes));
    if (copy) std::memcpy(copy, text, bytes);
    return copy;
}

// ---- identity and simple answers ---------------------------------------------

DWORD CMenuItem::TakeChangeFlags() {
    DWORD flags = 0;
    if (m_item->TakeStateChanged()) flags = kChangedState;
    if (m_item->TakeTimeChanged()) flags |= kChangedTime;
    return flags;
}

void CMenuItem::GetChildId(WCHAR* buffer) {
    if (buffer) ::wsprintfW(buffer, L"clip:%d", m_item->GetId());
}

void CMenuItem::GetName(WCHAR* buffer) {
    if (buffer) ::wsprintfW(buffer, L"Clip#%d", m_item->GetId());
}

DWORD CMenuItem::GetStyle() { return 32; }
DWORD CMenuItem::GetKindBits() { return 4; }

// The preview is the entry's caption: the bar shows no text of its own.
void CMenuItem::GetInfoText(WCHAR* buffer) {
    if (buffer) buffer[0] = L'\0';
}

HICON CMenuItem::GetLargeIcon(UINT arg) {
    return m_root->GetKindIcon(static_cast<int>(m_item->GetIconKind()), 32);
}

WCHAR* CMenuItem::GetTipText(UINT arg) {
    std::wstring text;
    try {
        m_item->GetDescription(text, &m_root->GetEngine());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return TaskMemCopy(text.c_str());
}

WCHAR* CMenuItem::GetTipCaption(UINT arg) {
    return TaskMemCopy(m_root->GetEngine().GetString(L"IDS_TIP_CAPTION", nullptr, kDefaultTipCaption));
}

BOOL CMenuItem::OnMessage45(DWORD* value) {
    *value = 3;
    return TRUE;
}

BOOL CMenuItem::OnMessage46(DWORD* value) {
    *value = 0;
    return TRUE;
}

// ---- sizing and drawing ---------------------------------------------------------

int CMenuItem::MeasureItem(SIZE* size, UINT which) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CDvlContainer* container = GetContainer();
    SIZE preview = {0, 0};
    {
        mx::unique_window_dc screen(nullptr);
        if (screen) {
            mx::unique_select_object font(screen.get(), container ? container->GetMenuFont() : nullptr);
            m_item->MeasurePreview(screen.get(), &preview, BarTextStyle());
        }
    }
    const int height = preview.cy + kPreviewGap;
    if (size) {
        size->cx = std::max<LONG>(size->cx, BarIconSize() + preview.cx + kPreviewGap);
        size->cy = std::max<LONG>(size->cy, height);
    }
    return height;
}

// The overlay is at most half the icon, in one of the icon's bottom corners.
void CMenuItem::DrawOverlay(HDC dc, int id, int x, int y, int size, bool rightCorner) {
    HMODULE module = GetModuleInstance();
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    if (!resource) return;
    CxImage image(IMAGE_TYPE_PNG);
    if (!image.LoadFromResource(resource, IMAGE_TYPE_PNG, module) || !image.IsValid()) return;
    const int side = std::min(static_cast<int>(image.GetWidth()), size / 2);
    if (side <= 0) return;
    image.Draw(dc, rightCorner ? x + size - side : x, y + size - side, side, side, nullptr, true);
}

DWORD CMenuItem::DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!dc || !rect) return 0;
    const int size = BarIconSize();
    const EntryPlace place = BarEntryPlace(rect, flags);
    const int x = place.x, y = place.y;
    const RECT& margins = place.margins;
    const COLORREF textColour = place.textColour;

    if (HICON icon = m_root->GetKindIcon(static_cast<int>(m_item->GetIconKind()), size))
        ::DrawIconEx(dc, x, y, icon, size, size, 0, nullptr, DI_NORMAL);
    if (m_item->IsLocked()) DrawOverlay(dc, LockedOverlay, x, y, size, true);
    if (m_item->IsCurrent()) DrawOverlay(dc, CurrentOverlay, x, y, size, false);

    RECT preview = {x + size + kPreviewGap, y, rect->right, rect->bottom - margins.bottom - kRuleGap};
    COLORREF oldColour = ::SetTextColor(dc, textColour);
    m_item->DrawPreview(dc, &preview, BarTextStyle());
    ::SetTextColor(dc, oldColour);
    const int ruleY = rect->bottom - margins.bottom;
    DrawLine(dc, 1, textColour, preview.left, ruleY, rect->right, ruleY);
    return 0;
}

// ---- commands ---------------------------------------------------------------------

BOOL CMenuItem::Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    m_root->GetStore().PostRestore(m_item->GetId());
    if (CDvlContainer* rootContainer = m_root->GetOwnerContainer()) rootContainer->ActivateMenu();
    return TRUE;
}

BOOL CMenuItem::OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (!m_root->ConfirmDeleteOne()) return FALSE;
    // The deletion waits for every shared hold: a walk the bar left
    // unfinished must not hold it off for ever.
    m_root->ReleaseEnumeration();
    m_root->GetStore().DeleteItem(m_item->GetId());
    return TRUE;
}

UINT CMenuItem::AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    CDvlButton::AddMenuItems(menu, position, firstId, more);
    if (!menu) return 0;
    const CMyEngine& engine = m_root->GetEngine();
    UINT added = 0;
    UINT lockFlags = MF_BYPOSITION | MF_STRING | (m_item->IsLocked() ? MF_CHECKED : MF_UNCHECKED);
    if (::InsertMenuW(menu, position, lockFlags, firstId + LockCommand,
                      engine.GetString(L"menu-lock", nullptr, kDefaultLock)))
        ++added;
    if (::InsertMenuW(menu, position + added, MF_BYPOSITION | MF_STRING, firstId + SaveCommand,
                      engine.GetString(L"menu-save", nullptr, kDefaultSave)))
        ++added;
    // A picture has no text to give.
    UINT plainFlags = MF_BYPOSITION | MF_STRING |
                      (CPlainText::HasText(m_item->GetFormatSummaries()) ? MF_ENABLED : MF_GRAYED);
    if (::InsertMenuW(menu, position + added, plainFlags, firstId + PlainTextCommand,
                      engine.GetString(L"menu-plain", nullptr, kDefaultPlainText)))
        ++added;
    return added;
}

BOOL CMenuItem::MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) {
    MX_ASSERT_ON_THREAD(m_uiThread);
    if (number == LockCommand) {
        m_item->SetLocked(!m_item->IsLocked());
        if (CDvlContainer* container = GetContainer()) container->Invalidate();
        if (CDvlContainer* rootContainer = m_root->GetOwnerContainer()) rootContainer->NotifyChanged();
    } else if (number == SaveCommand) {
        SaveToFile();
    } else if (number == PlainTextCommand) {
        m_root->GetStore().PostRestore(m_item->GetId(), true);
    }
    return TRUE;
}

// An item that offers no file type shows no dialog; a cancelled dialog, or
// one that cannot be loaded, saves nothing.
void CMenuItem::SaveToFile() {
    CXMLSaveDlg dialog(&m_root->GetEngine());
    m_item->AddSaveFormats(dialog.GetEntries());
    if (dialog.GetEntries().empty()) return;
    if (dialog.DoModal(GetModuleInstance(), L"res:save.xml", nullptr) == 1) m_item->SaveFormatToFile(dialog.GetChosen());
}

// ---- lifetime and the data object -------------------------------------------------

BOOL CMenuItem::ReleaseByWrapper() {
    // The wrapper, and with it this entry's container, is going away.
    SetContainer(nullptr);
    Release();
    return TRUE;
}

BOOL CMenuItem::QueryDataInterface(REFIID riid, void** out) {
    if (!m_root->IsDragAllowed()) return FALSE;
    return SUCCEEDED(QueryInterface(riid, out));
}

HRESULT CMenuItem::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IDataObject, this}});
}

bool CMenuItem::IsDragRecordRequest(const FORMATETC* format) {
    // The medium as every stored format takes it: global memory and nothing else.
    return format && format->cfFormat == DragRecordFormat() && format->tymed == TYMED_HGLOBAL;
}

HRESULT CMenuItem::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    return mx::com_barrier([&]() -> HRESULT {
        // A deleted item's snapshot is gone: it renders nothing any more.
        HRESULT answer = m_item->IsDeleted() ? E_INVALIDARG : m_item->GetData(format, medium);
        if (SUCCEEDED(answer) || !IsDragRecordRequest(format)) return answer;
        return GetDragRecord(medium);
    });
}

HRESULT CMenuItem::GetDragRecord(STGMEDIUM* medium) const {
    mx::unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, sizeof(m_dragRecord)));
    if (!block) return E_OUTOFMEMORY;
    {
        mx::unique_hglobal_locked data(block.get());
        if (!data) return E_OUTOFMEMORY;
        std::memcpy(data.get(), m_dragRecord, sizeof(m_dragRecord));
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block.release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT CMenuItem::GetDataHere(FORMATETC* format, STGMEDIUM* medium) { return E_NOTIMPL; }

HRESULT CMenuItem::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    return mx::com_barrier([&]() -> HRESULT {
        HRESULT answer = m_item->IsDeleted() ? E_INVALIDARG : m_item->QueryGetData(format);
        return answer == S_OK || IsDragRecordRequest(format) ? S_OK : answer;
    });
}

HRESULT CMenuItem::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) { return E_NOTIMPL; }

HRESULT CMenuItem::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!IsDragRecordRequest(format) || !medium || medium->tymed != TYMED_HGLOBAL) return E_NOTIMPL;
    {
        mx::unique_hglobal_locked data(medium->hGlobal);
        // A block too small for the record is refused, never read past.
        if (!data || data.size() < sizeof(m_dragRecord)) return E_INVALIDARG;
        std::memcpy(m_dragRecord, data.get(), sizeof(m_dragRecord));
    }
    m_dragRecord[1] = 1;
    if (release) ::ReleaseStgMedium(medium);
    return S_OK;
}

HRESULT CMenuItem::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return mx::com_barrier([&]() -> HRESULT {
        auto formats = mx::counted_ref<CEnumClipboardFormats>::adopt(new (std::nothrow) CEnumClipboardFormats());
        if (!formats) return E_OUTOFMEMORY;
        // A deleted item offers nothing: it could render none of it.
        if (!m_item->IsDeleted()) m_item->AddFormatEtcs(*formats);
        *out = formats.detach();
        return S_OK;
    });
}

HRESULT CMenuItem::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) {
    return E_NOTIMPL;
}

HRESULT CMenuItem::DUnadvise(DWORD connection) { return E_NOTIMPL; }

HRESULT CMenuItem::EnumDAdvise(IEnumSTATDATA** out) { return E_NOTIMPL; }
