// One history entry in the root button's menu. It draws and sizes itself
// (kind icon, lock and current-content overlays, preview, a rule), gives its
// names and tooltip, puts its item back on the clipboard when chosen, offers
// "Lock" and "Save..." in its context menu, deletes its item on the bar's
// Delete command and, when dragging is allowed, is the data object that
// carries the item's formats out of the menu.
//
// Lifetime: the wrapper holds one data-object reference and gives it back
// when it goes (ReleaseByWrapper); whoever else took the data object (a drop
// target, OLE's clipboard) keeps the entry alive until its own release.
#pragma once
#include <windows.h>
#include <objidl.h>
#include "base/ComObject.h"
#include "base/ThreadAffinity.h"
#include "clipdata/CClipboardItem.h"
#include "ui/CDvlButton.h"

class IHistoryOwner;

class CMenuItem final : public CDvlButton, public mx::com_object<IDataObject> {
public:
    // Context menu commands, relative to the first id the bar gives.
    enum MenuNumber : UINT { LockCommand = 1, SaveCommand = 2, PlainTextCommand = 3 };
    // The "PNG" resources drawn over the kind icon.
    enum OverlayId : int { CurrentOverlay = 118, LockedOverlay = 119 };

    // Takes a reference of its own on the item.
    CMenuItem(IHistoryOwner* root, CClipboardItem* item);

    // CDvlButton, in slot order.
    DWORD TakeChangeFlags() override;
    void GetChildId(WCHAR* buffer) override;
    int MeasureItem(SIZE* size, UINT which) override;
    DWORD GetStyle() override;
    BOOL OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) override;
    void GetName(WCHAR* buffer) override;
    WCHAR* GetTipText(UINT arg) override;
    WCHAR* GetTipCaption(UINT arg) override;
    DWORD GetKindBits() override;
    void GetInfoText(WCHAR* buffer) override;
    HICON GetLargeIcon(UINT arg) override;
    DWORD DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) override;
    BOOL Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    UINT AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) override;
    BOOL MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) override;
    BOOL OnMessage45(DWORD* value) override;
    BOOL OnMessage46(DWORD* value) override;
    BOOL ReleaseByWrapper() override;
    BOOL QueryDataInterface(REFIID riid, void** out) override;

    // IDataObject, in slot order.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                      DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) override;

    CClipboardItem* GetItem() const { return m_item.get(); }
    // The registered format through which the bar keeps its drag record.
    static UINT DragRecordFormat();

private:
    void DrawOverlay(HDC dc, int id, int x, int y, int size, bool rightCorner);
    // The save dialog, then the file written through the item.
    void SaveToFile();
    static bool IsDragRecordRequest(const FORMATETC* format);
    // A new block with the bar's drag record.
    HRESULT GetDragRecord(STGMEDIUM* medium) const;
    static WCHAR* TaskMemCopy(const WCHAR* text);

    IHistoryOwner* m_root;
    ItemRef m_item;
    DWORD m_dragRecord[3] = {0, 0, 0};
    // The bar makes entries on its thread and draws and commands them there;
    // only the data object may be used from others.
    mx::thread_affinity m_uiThread;
};
