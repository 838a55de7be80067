// Base of every button of the plug-in (the root button and the history
// entries). The wrapper (CPlugin) reaches each operation from one IDvlButton
// operation or HandleMessage code, noted beside it; the operations without a
// known purpose are named after the message that reaches them. The order of
// the virtual operations is fixed: keep one per line and add none.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <memory>
#include <vector>
#include "base/Unique.h"
#include "ui/CDvlContainer.h"
#include "ui/IDvlButton.h"

class CxImage;
class CDvlButton;

// Message 16, as the button sees it: the wrapped buttons instead of the
// bar's interface pointers.
struct DvlCreateChild {
    CDvlButton* parent;
    void* item;
    CDvlButton* child;  // out: a new button, owned by the caller afterwards
};

// Message 20, as the button sees it.
struct DvlCompareChildren {
    CDvlButton* first;
    CDvlButton* second;
    UINT key;
    int result;
};

class CDvlButton {
public:
    enum { CaptionLength = 260 };

    virtual ~CDvlButton();                                               // 0
    virtual BOOL SetLanguage(UINT languageId, HMODULE module);           // 1: IDvlButton 21
    virtual DWORD OnMessage9();                                          // 2
    virtual BOOL GetChildFirst(DVLENUMCHILD* record);                    // 3: message 13
    virtual BOOL GetChildNext(DVLENUMCHILD* record);                     // 4: message 14
    virtual BOOL ReleaseChild(void* item);                               // 5: message 15
    virtual BOOL CreateChildButton(DvlCreateChild* record);              // 6: message 16
    virtual HANDLE CreateUpdateEvent();                                  // 7: message 10
    virtual void OnMessage11(void* out);                                 // 8
    virtual void CloseUpdateEvent(HANDLE event);                         // 9: message 12
    virtual DWORD TakeChangeFlags();                                     // 10: message 17
    virtual void GetChildId(WCHAR* buffer);                              // 11: message 18
    virtual void CompareChildren(DvlCompareChildren* record);            // 12: message 20
    virtual BOOL GetSortKey(UINT number, DVLSORTKEY* record);            // 13: message 21
    virtual int MeasureItem(SIZE* size, UINT which);                     // 14: GetInfo 0x04, 0x80
    virtual DWORD GetStyle();                                            // 15: GetInfo 0x01
    virtual BOOL OnCommandProperties(UINT zero, UINT_PTR a, UINT_PTR b); // 16: Command 1
    virtual BOOL OnCommand2(UINT zero, UINT_PTR a, UINT_PTR b);          // 17: Command 2
    virtual BOOL OnCommand2000(UINT zero, UINT_PTR a, UINT_PTR b);       // 18: Command 0x2000
    virtual BOOL OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b);     // 19: Command 0x4000
    virtual void GetName(WCHAR* buffer);                                 // 20: message 27
    virtual void OnMessage40();                                          // 21
    virtual DWORD OnMessage44();                                         // 22
    virtual void OnMessage8();                                           // 23
    virtual void OnMessage7();                                           // 24
    virtual void OnMessage6(void* out);                                  // 25
    virtual DWORD OnMessage1();                                          // 26
    virtual void GetClassId(GUID* out);                                  // 27: message 2
    virtual WCHAR* GetTipText(UINT arg);                                 // 28: message 22
    virtual WCHAR* GetTipCaption(UINT arg);                              // 29: message 24
    virtual DWORD GetKindBits();                                         // 30: GetInfo 0x02
    virtual void GetInfoText(WCHAR* buffer);                             // 31: GetInfo 0x40
    virtual DWORD OnMessage19();                                         // 32
    virtual HICON GetLargeIcon(UINT arg);                                // 33: message 23
    virtual BOOL SaveSettings(IStream* stream);                          // 34: IDvlButton 4
    virtual BOOL LoadSettings(IStream* stream);                          // 35: IDvlButton 3
    virtual void SetClassId(const GUID* id);                             // 36: IDvlButton 5
    virtual void SetHostFlags(DWORD flags);                              // 37: IDvlButton 7
    virtual DWORD DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags); // 38: IDvlButton 8
    virtual BOOL Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c);          // 39: IDvlButton 9
    virtual BOOL Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c);         // 40: IDvlButton 10
    virtual BOOL Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c);         // 41: IDvlButton 11
    virtual BOOL EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b); // 42: IDvlButton 12
    virtual BOOL Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c);         // 43: IDvlButton 13
    virtual BOOL Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c);         // 44: IDvlButton 14
    virtual BOOL Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c);         // 45: IDvlButton 15
    virtual DWORD OnMessage43(UINT arg, int x, int y);                   // 46
    virtual DWORD OnMessage41(UINT arg, int x, int y);                   // 47
    virtual DWORD OnMessage42(UINT arg, int x, int y);                   // 48
    virtual DWORD OnMessage33(UINT arg, void* out);                      // 49
    virtual BOOL Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c);            // 50: IDvlButton 16
    virtual UINT AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more); // 51: IDvlButton 19
    virtual BOOL MenuCommand(UINT number, UINT_PTR a, UINT_PTR b);       // 52: IDvlButton 20
    virtual void GetIconLocation(WCHAR* buffer);                         // 53: IDvlButton 22
    virtual BOOL SetIconLocation(const WCHAR* location);                 // 54: IDvlButton 23
    virtual void SetName(const WCHAR* caption);                          // 55: IDvlButton 18
    virtual void SetContainer(CDvlContainer* container);                 // 56: IDvlButton 6
    virtual void OnHotKey(UINT id);                                      // 57: message 25
    virtual BOOL OnMessage4(UINT arg, DVLRECORD4* record);               // 58
    virtual DWORD OnMessage5();                                          // 59
    virtual DWORD OnMessage26();                                         // 60
    virtual DWORD OnMessage28(UINT arg);                                 // 61
    virtual void OnMessage29(void* first, void* second, UINT arg);       // 62
    virtual void OnMessage30(SIZE* value);                               // 63
    virtual void DrawRecordImage(const DVLDRAWIMAGE* record);            // 64: message 31
    virtual BOOL LoadIconAtSize(int pixels);                             // 65
    virtual BOOL LoadPngIcon();                                          // 66
    virtual DWORD OnMessage34(void* pointer, DWORD value);               // 67
    virtual DWORD OnMessage35(void* pointer, DWORD value);               // 68
    virtual void OnMessage36();                                          // 69
    virtual BOOL OnMessage45(DWORD* value);                              // 70
    virtual BOOL OnMessage46(DWORD* value);                              // 71
    virtual BOOL ReleaseByWrapper();                                     // 72
    virtual BOOL QueryDataInterface(REFIID riid, void** out);            // 73: CPlugin QueryInterface

    // The icon for a location already split into path and index, at
    // pixels x pixels; null when every way of loading one failed.
    static HICON ExtractIconAtSize(const WCHAR* path, int index, int pixels);
    // Splits a trailing ",index" off a shell icon location in place.
    static int SplitIconIndex(WCHAR* location);

    CDvlContainer* GetContainer() const { return m_container; }
    const WCHAR* GetCaption() const { return m_caption; }
    const WCHAR* GetStoredIconLocation() const { return m_iconLocation.get(); }
    HMODULE GetResourceModule() const { return m_resourceModule; }
    DWORD GetHostFlags() const { return m_hostFlags; }
    HICON GetCachedIcon() const { return m_icon.get(); }
    int GetCachedIconSize() const { return m_iconSize; }

protected:
    CDvlButton();
    // The bar's icon size and its text style for entries; without a bar,
    // what a wrapper without a site answers.
    int BarIconSize() const;
    COLORREF BarTextStyle() const;
    // Where the bar puts an entry's icon inside rect, its margins and the
    // colour of entries' text (zeros without a bar).
    struct EntryPlace {
        int x;
        int y;
        RECT margins;
        COLORREF textColour;
    };
    EntryPlace BarEntryPlace(const RECT* rect, DWORD flags) const;
    CDvlButton(const CDvlButton&) = delete;
    CDvlButton& operator=(const CDvlButton&) = delete;

    // Replaces the location without dropping the cached icon or telling the
    // bar (settings being loaded). Answers 0 when memory ran out.
    BOOL StoreIconLocation(const WCHAR* location);
    // Takes ownership of the icon; the previous one is destroyed.
    void SetCachedIcon(HICON icon, int pixels);
    // Kept until the next AddMenuItems or destruction; takes ownership.
    BOOL KeepMenuBitmap(HGDIOBJ bitmap);
    void DeleteMenuBitmaps();
    // Makes a relative path absolute against the bar's base folder (into a
    // buffer of MAX_PATH characters); answers 0 when it does not fit.
    BOOL ResolveAgainstBaseFolder(const WCHAR* path, WCHAR* full);

private:
    void ForgetIcons();

    std::vector<mx::unique_hgdiobj> m_menuBitmaps;
    GUID m_classId;
    DWORD m_hostFlags;
    HMODULE m_resourceModule;
    WCHAR m_caption[CaptionLength];
    std::unique_ptr<WCHAR[]> m_iconLocation;
    CDvlContainer* m_container;
    mx::unique_hicon m_icon;
    int m_iconSize;
    std::unique_ptr<CxImage> m_pngIcon;
};
