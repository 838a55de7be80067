// What the history's menu entries and its window need of the button that
// made them: the icons and strings it owns, the history store, the bar, and
// its settings. The root button implements it; the entries and the window
// know the button only through this.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"

class CDvlContainer;
class CMyEngine;
class CObClipboard;

class IHistoryOwner {
public:
    // The kind icon (0 none, 1 text, 2 files, 3 picture) at pixels x pixels.
    // The icon stays owned by the button; null when it could not be loaded.
    virtual HICON GetKindIcon(int kind, int pixels) = 0;
    virtual CMyEngine& GetEngine() = 0;
    virtual CObClipboard& GetStore() = 0;
    // The bar's side of the button itself (not of an entry): menu
    // activation and change notices go there. Null without a bar.
    virtual CDvlContainer* GetOwnerContainer() const = 0;
    // Asks before one entry is deleted (unless the setting turned that off).
    virtual BOOL ConfirmDeleteOne() = 0;
    // Gives back the shared hold of a walk the bar began and never ran to
    // its end. Everything that changes the history waits for every shared
    // hold, so each command that needs the history exclusively calls this
    // first: a bar that stopped walking early must not hang itself.
    virtual void ReleaseEnumeration() = 0;
    virtual BOOL IsDragAllowed() const = 0;
    // Opens the history window from the bar's message loop, once the bar's
    // present call is done.
    virtual void OpenHistoryWindowLater() = 0;

    // What the history window searches an entry by, folded (CHistoryFilter),
    // and the first line of its plain text, to show.
    struct SearchText {
        std::wstring folded;
        std::wstring preview;
    };
    // Gets the texts of the items the window has not searched yet from the
    // store at once, before SearchTextOf asks for each.
    virtual void PrepareSearchTexts(const std::vector<ItemRef>& items) = 0;
    virtual const SearchText& SearchTextOf(CClipboardItem& item) = 0;

protected:
    ~IHistoryOwner() = default;
};
