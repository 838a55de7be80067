// The bar as the history menu's tests drive it: a root button in this
// process with capture on, the real clipboard and history folder, and the
// menu built the way the bar builds it (walk, one entry per item, each
// entry given the bar as its site).
#pragma once
#include <windows.h>
#include <wrl/client.h>
#include <string>
#include <vector>
#include "tests/support/CDibCanvas.h"
#include "tests/support/ClipContent.h"
#include "tests/ui/CRootTestHost.h"
#include "ui/IDvlButton.h"

class CPlugin;
class CClipBoardButton;
class CClipboardItem;
class CMenuItem;
class CPluginStream;

using Entry = Microsoft::WRL::ComPtr<IDvlButton>;

// OLE for the test's thread (the language documents' parser, OLE's clipboard).
struct OleScope {
    OleScope() { OleInitialize(nullptr); }
    ~OleScope() { OleUninitialize(); }
};

class CMenuTestBar {
public:
    // Settings with "allowDrag" as given; capture on.
    explicit CMenuTestBar(bool allowDrag = false);
    ~CMenuTestBar();
    CMenuTestBar(const CMenuTestBar&) = delete;
    CMenuTestBar& operator=(const CMenuTestBar&) = delete;

    bool IsReady() const { return m_ready; }
    CPlugin* Root() const { return m_root; }
    CClipBoardButton* Button() const { return m_button; }
    int Count() const;

    // Puts the formats on the clipboard in one copy, from this process;
    // true once the history holds `count` entries.
    bool Copy(const std::vector<clipcontent::Format>& formats, int count);
    // Another program copies the text; true once the history holds `count` entries.
    bool CopyText(const std::wstring& text, int count);

    // The whole menu, newest last, as the bar builds it.
    std::vector<Entry> Menu();
    // The entry of the newest item.
    Entry Newest();
    static CMenuItem* EntryOf(IDvlButton* entry);
    static CClipboardItem* ItemOf(IDvlButton* entry);

    std::wstring TipText(IDvlButton* entry);
    std::wstring TipCaption(IDvlButton* entry);
    LONG SharedHolds() const;
    // The bar lets go of its button: the watcher ends, the store goes, the
    // history files stay. Nothing of the button may be asked afterwards.
    void ReleaseRoot();

    CRootTestHost host;

private:
    HWND m_owner = nullptr;
    CPlugin* m_root = nullptr;
    CClipBoardButton* m_button = nullptr;
    bool m_ready = false;
};

// A white canvas that entries draw on as the bar lets them (transparent
// background mode); pixels read as 0x00RRGGBB.
class CPixels : public mxtest::CDibCanvas {
public:
    CPixels(int width, int height) : CDibCanvas(width, height, 0xFFFFFFFF) { SetBkMode(dc(), TRANSPARENT); }
    HDC Dc() const { return dc(); }
    DWORD At(int x, int y) const { return Rgb(x, y); }
    // The smallest rectangle holding every pixel that differs from other's;
    // empty when none does.
    RECT DiffBox(const CPixels& other) const;
};

// One copy of the formats, as a program that copies makes it; true when
// every format went on the clipboard.
bool PutOnClipboard(HWND owner, const std::vector<clipcontent::Format>& formats);

