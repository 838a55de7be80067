// The plug-in's one button on the bar; the class factory makes it inside a
// wrapper. It owns the clipboard watcher and history store, keeps the
// settings, registers the two hotkeys with the bar, lists the history to the
// bar as sub-items, adds "Pause" and "Clear Clipboard History" to its context
// menu, and owns the localisation strings and the icons the history entries
// share.
#pragma once
#include <windows.h>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include "base/ThreadAffinity.h"
#include "base/Unique.h"
#include "ui/CDvlButton.h"
#include "ui/CHistoryOpener.h"
#include "ui/CMyEngine.h"
#include "ui/IHistoryOwner.h"
#include "watcher/CObClipboard.h"
#include "watcher/ObClipEventHandler.h"

class CClipboardItem;
class CHistoryDlg;

class CClipBoardButton : public CDvlButton, public ObClipEventHandler, public IHistoryOwner {
public:
    // Hotkey ids under which the bar registers the two hotkeys.
    enum HotKeyId : UINT { OpenMenuHotKey = 1, SwapHotKey = 2 };
    // Context menu commands, relative to the first id the bar gives.
    enum MenuNumber : UINT { PauseCommand = 1, ClearCommand = 2, SearchCommand = 3 };
    // Resource icons: the plug-in, and the entry kinds 1 (text), 2 (files), 3 (picture).
    enum IconId : int { PluginIcon = 117, TextIcon = 107, FilesIcon = 120, PictureIcon = 109 };
    // How many of the newest entries the menu lists when the settings say nothing.
    static constexpr int kDefaultMenuEntries = 30;

    CClipBoardButton();
    ~CClipBoardButton() override;

    // CDvlButton, in slot order.
    BOOL SetLanguage(UINT languageId, HMODULE module) override;
    DWORD OnMessage9() override;
    BOOL GetChildFirst(DVLENUMCHILD* record) override;
    BOOL GetChildNext(DVLENUMCHILD* record) override;
    BOOL ReleaseChild(void* itemOrRecord) override;
    BOOL CreateChildButton(DvlCreateChild* record) override;
    HANDLE CreateUpdateEvent() override;
    void CloseUpdateEvent(HANDLE event) override;
    void CompareChildren(DvlCompareChildren* record) override;
    BOOL GetSortKey(UINT number, DVLSORTKEY* record) override;
    DWORD GetStyle() override;
    BOOL OnCommandProperties(UINT zero, UINT_PTR a, UINT_PTR b) override;
    BOOL OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) override;
    DWORD OnMessage44() override;
    DWORD GetKindBits() override;
    DWORD OnMessage19() override;
    HICON GetLargeIcon(UINT arg) override;
    BOOL SaveSettings(IStream* stream) override;
    BOOL LoadSettings(IStream* stream) override;
    BOOL EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) override;
    UINT AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) override;
    BOOL MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) override;
    void OnHotKey(UINT id) override;
    DWORD OnMessage26() override;
    BOOL LoadIconAtSize(int pixels) override;

    // ObClipEventHandler: safe on the watcher thread and the bar's thread.
    void OnHistoryChanged() override;

    // IHistoryOwner, for the history entries and window.
    HICON GetKindIcon(int kind, int pixels) override;
    CMyEngine& GetEngine() override { return m_engine; }
    CObClipboard& GetStore() override { return m_store; }
    CDvlContainer* GetOwnerContainer() const override { return GetContainer(); }
    BOOL ConfirmDeleteOne() override;
    void ReleaseEnumeration() override;
    BOOL IsDragAllowed() const override { return m_allowDrag; }
    void OpenHistoryWindowLater() override { m_historyOpener.OpenLater(); }
    void PrepareSearchTexts(const std::vector<ItemRef>& items) override;
    const SearchText& SearchTextOf(CClipboardItem& item) override;

    // The history window, where it was last; one already open comes to the front.
    void RunHistoryWindow();

    // The settings, for the properties dialog and the entries.
    WORD GetOpenMenuHotKey() const { return m_openMenuHotKey; }
    WORD GetSwapHotKey() const { return m_swapHotKey; }
    WORD GetSearchHotKey() const { return m_searchHotKey; }
    void SetHotKeys(WORD openMenu, WORD swap, WORD search);
    // Whether the system holds the history window's key for this button.
    bool IsSearchHotKeyRegistered() const { return m_historyOpener.IsRegistered(); }
    BOOL IsEnabled() const { return m_enabled; }
    BOOL GetConfirmClear() const { return m_confirmClear; }
    void SetConfirmClear(BOOL on) { m_confirmClear = on ? 1 : 0; }
    BOOL GetConfirmDelete() const { return m_confirmDelete; }
    void SetConfirmDelete(BOOL on) { m_confirmDelete = on ? 1 : 0; }
    void SetDragAllowed(BOOL on) { m_allowDrag = on ? 1 : 0; }
    // 0: the menu lists every entry.
    int GetMenuEntries() const { return m_menuEntries; }
    void SetMenuEntries(int entries) { m_menuEntries = entries < 0 ? kDefaultMenuEntries : entries; }
    // Hands the two hotkeys to the bar and registers the history window's own.
    void RegisterHotKeys();
    // Every hotkey off, until the next RegisterHotKeys.
    void UnregisterHotKeys();

    // Where the language document for the id lies: beside the bar's program
    // (read from the bar's class key), in "langs\<id>\mirabex.xml". Empty
    // when the bar's class key cannot be read.
    static std::wstring LanguageFilePath(UINT languageId);
    // A resource icon of this library at pixels x pixels, or null.
    static HICON LoadResourceIcon(int id, int pixels);

private:
    struct KindIcon {
        int kind;
        mx::unique_hicon icon;
        int pixels;
    };

    void ReadSettingsGroup(CPluginStream& settings);
    // The properties dialog, with the hotkeys off while it is open; true
    // when it was accepted and the settings took its values.
    bool RunProperties();
    void NotifyHost();
    void RefreshHistoryWindow();
    static void PutChildText(DVLENUMCHILD* record, const CClipboardItem* item);
    // The first index from `index` on that the menu lists, or -1.
    int ShownFrom(int index);
    // The index of the oldest of the newest entries, which the menu always lists.
    int FirstOfNewest();
    // How many entries the menu leaves out. Called with the walk's hold.
    int NotShownCount();
    // After the last entry listed, "More..." when the menu leaves some out.
    BOOL HandOutMore(DVLENUMCHILD* record);
    // What the walk hands out for "More...": no item, only a mark.
    void* MoreMark() { return &m_moreMark; }
    // The walk's reference, passed to the bar and remembered until it comes back.
    void* HandOut(ItemRef item);
    static CClipboardItem* EntryItem(CDvlButton* button);
    static bool IsRealIcon(HICON icon);
    static RECT VirtualScreen();

    CObClipboard m_store;
    std::mutex m_eventGuard;  // the update event is set from the watcher thread
    // Everything but the history notification runs on the bar's thread, the
    // one that made the button.
    mx::thread_affinity m_uiThread;
    // The bar owns the event and gives it back through CloseUpdateEvent:
    // the button only sets it.
    HANDLE m_updateEvent = nullptr;
    mx::unique_hicon m_largeIcon;
    WORD m_openMenuHotKey = 0;
    WORD m_swapHotKey = 0;
    WORD m_searchHotKey = 0;
    BOOL m_enabled = 1;
    BOOL m_confirmClear = 1;
    BOOL m_confirmDelete = 1;
    BOOL m_allowDrag = 0;
    int m_menuEntries = kDefaultMenuEntries;
    std::vector<KindIcon> m_kindIcons;
    std::unordered_map<int, SearchText> m_searchTexts;
    RECT m_historyWindow = {0, 0, 0, 0};
    CHistoryDlg* m_openHistory = nullptr;  // while the history window is up
    // The enumeration's shared hold on the store's lock, from message 13 to
    // the message 14 that runs past the end (the bar's thread only).
    std::optional<CObReadWriteLock::SharedHold> m_walkHold;
    // Items whose walk reference the bar holds, once per reference.
    std::unordered_multiset<CClipboardItem*> m_handedOut;
    char m_moreMark = 0;
    int m_notShown = 0;  // as the last walk counted it
    CMyEngine m_engine;
    CHistoryOpener m_historyOpener;
};
