#include "tests/ui/CMenuTestBar.h"
#include "base/CPluginStream.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "plugin/CPlugin.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"
#include "ui/CMenuItem.h"

CMenuTestBar::CMenuTestBar(bool allowDrag) {
    CleanHistoryFolder();
    m_owner = CreateWindowExW(0, L"STATIC", L"menu test copies", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              nullptr, nullptr);
    m_root = CPlugin::Create();
    if (!m_root) return;
    m_button = static_cast<CClipBoardButton*>(m_root->GetButton());
    m_root->SetSite(&host);
    m_root->SetName(L"Mirabex Test");
    CPluginStream settings;
    settings.BeginGroup(L"Settings");
    settings.WriteInt(L"Enable", 1);
    settings.WriteInt(L"AskDelAllItems", 1);
    settings.WriteInt(L"AskDelOneItem", 1);
    settings.WriteInt(L"allowDrag", allowDrag ? 1 : 0);
    settings.EndGroup();
    if (m_root->LoadSettings(StreamOf(settings).Get()) != S_OK) return;
    m_ready = WaitUntil([this] {
        HWND window = m_button->GetStore().GetWindow();
        return window && GetClipboardViewer() == window;
    });
}

CMenuTestBar::~CMenuTestBar() {
    if (m_root) m_root->Release();
    if (m_owner) DestroyWindow(m_owner);
    CleanHistoryFolder();
}

int CMenuTestBar::Count() const { return m_button->GetStore().GetItemCount(); }

bool PutOnClipboard(HWND owner, const std::vector<clipcontent::Format>& formats) {
    bool opened = false;
    for (int i = 0; i < 400 && !(opened = OpenClipboard(owner)); ++i) Sleep(5);
    if (!opened) return false;
    EmptyClipboard();
    bool all = true;
    for (const auto& format : formats) {
        mx::unique_hglobal block(GlobalAlloc(GMEM_MOVEABLE, format.bytes.size()));
        {
            mx::unique_hglobal_locked data(block.get());
            if (!data) {
                all = false;
                continue;
            }
            memcpy(data.get(), format.bytes.data(), format.bytes.size());
        }
        if (SetClipboardData(format.id, block.get()))
            block.release();
        else
            all = false;
    }
    CloseClipboard();
    return all;
}

bool CMenuTestBar::Copy(const std::vector<clipcontent::Format>& formats, int count) {
    return PutOnClipboard(m_owner, formats) && WaitUntil([&] { return Count() >= count; });
}

bool CMenuTestBar::CopyText(const std::wstring& text, int count) {
    return RunOtherApp({L"text:" + text}) && WaitUntil([&] { return Count() >= count; });
}

std::vector<Entry> CMenuTestBar::Menu() {
    std::vector<Entry> entries;
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record{text, nullptr, 0};
    HRESULT hr = m_root->HandleMessage(13, 0, &record);
    while (hr == S_OK) {
        DVLCREATECHILD create{m_root, record.item, nullptr};
        if (m_root->HandleMessage(16, 0, &create) == S_OK && create.child) {
            Entry entry;
            *entry.ReleaseAndGetAddressOf() = create.child;
            entry->SetSite(&host);
            entries.push_back(entry);
        }
        m_root->HandleMessage(15, 0, &record);
        hr = m_root->HandleMessage(14, 0, &record);
    }
    return entries;
}

Entry CMenuTestBar::Newest() {
    std::vector<Entry> menu = Menu();
    return menu.empty() ? Entry() : menu.back();
}

CMenuItem* CMenuTestBar::EntryOf(IDvlButton* entry) {
    CPlugin* wrapper = CPlugin::FromInterface(entry);
    return wrapper ? dynamic_cast<CMenuItem*>(wrapper->GetButton()) : nullptr;
}

CClipboardItem* CMenuTestBar::ItemOf(IDvlButton* entry) {
    CMenuItem* menuItem = EntryOf(entry);
    return menuItem ? menuItem->GetItem() : nullptr;
}

namespace {

std::wstring TakeTaskText(IDvlButton* entry, UINT code) {
    WCHAR* text = nullptr;
    if (entry->HandleMessage(code, 0, &text) != S_OK || !text) return L"<none>";
    std::wstring copy = text;
    CoTaskMemFree(text);
    return copy;
}

}  // namespace

std::wstring CMenuTestBar::TipText(IDvlButton* entry) { return TakeTaskText(entry, 22); }
std::wstring CMenuTestBar::TipCaption(IDvlButton* entry) { return TakeTaskText(entry, 24); }

void CMenuTestBar::ReleaseRoot() {
    if (m_root) m_root->Release();
    m_root = nullptr;
    m_button = nullptr;
}

LONG CMenuTestBar::SharedHolds() const { return m_button->GetStore().GetLock().GetSharedCount(); }

// ---- pixels -----------------------------------------------------------------------------

RECT CPixels::DiffBox(const CPixels& other) const {
    RECT box = {width(), height(), 0, 0};
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x)
            if (At(x, y) != other.At(x, y)) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    if (box.right == 0) box = {0, 0, 0, 0};
    return box;
}
