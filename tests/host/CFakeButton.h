// A small button plug-in that records what the bar does to it and answers
// with values the tests can predict. A root button (no item) enumerates
// `children` items; each child button stands for one item.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "CFakeItem.h"
#include "base/ComObject.h"
#include "base/Unique.h"
#include "ui/IDvlButton.h"

class CFakeButton final : public mx::com_object<IDvlButton> {
public:
    explicit CFakeButton(CFakeItem* item = nullptr);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE LoadSettings(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE SaveSettings(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE SetClassId(const GUID* id) override;
    HRESULT STDMETHODCALLTYPE SetSite(IDvlHost* site) override;
    HRESULT STDMETHODCALLTYPE SetHostFlags(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;
    HRESULT STDMETHODCALLTYPE Command(UINT code, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE SetName(const WCHAR* caption) override;
    HRESULT STDMETHODCALLTYPE AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) override;
    HRESULT STDMETHODCALLTYPE MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) override;
    HRESULT STDMETHODCALLTYPE SetLanguage(UINT languageId, HMODULE module) override;
    HRESULT STDMETHODCALLTYPE GetIconLocation(WCHAR* buffer) override;
    HRESULT STDMETHODCALLTYPE SetIconLocation(const WCHAR* location) override;
    HRESULT STDMETHODCALLTYPE GetInfo(DVLBUTTONINFO* info) override;
    HRESULT STDMETHODCALLTYPE HandleMessage(UINT code, UINT arg, void* out) override;
    void* STDMETHODCALLTYPE DeletingDestructor(UINT deleteFlag) override;

    int ItemId() const { return m_item ? m_item->Id() : 0; }

private:
    ~CFakeButton() override;
    void AskTheBar();
    UINT IconSize();
    HRESULT Enumerate(DVLENUMCHILD* record, UINT index);
    HRESULT CreateChild(DVLCREATECHILD* record);
    HRESULT CloseUpdateEvent(void* event);
    HRESULT TaskText(const std::wstring& text, void* out);
    std::wstring TipText();

    CFakeItem* m_item;
    IDvlHost* m_site = nullptr;
    GUID m_classId{};
    std::wstring m_caption;
    std::wstring m_location;
    mx::unique_handle m_event;
};
