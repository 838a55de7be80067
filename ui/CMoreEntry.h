// The menu's last entry when the history holds more than the menu lists:
// "More... (N)", N the entries left out. Choosing it opens the history
// window. It holds no item: the bar's Delete, context menu, drag and
// tooltip find nothing on it to act on.
#pragma once
#include <windows.h>
#include <string>
#include "base/ThreadAffinity.h"
#include "ui/CDvlButton.h"

class IHistoryOwner;

class CMoreEntry final : public CDvlButton {
public:
    CMoreEntry(IHistoryOwner* root, int notShown);

    // CDvlButton, in slot order.
    void GetChildId(WCHAR* buffer) override;
    int MeasureItem(SIZE* size, UINT which) override;
    DWORD GetStyle() override;
    DWORD GetKindBits() override;
    void GetInfoText(WCHAR* buffer) override;
    DWORD DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) override;
    BOOL Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) override;

    // "More... (9,970)": the localised word and the count in the user's format.
    static std::wstring Caption(const WCHAR* more, int notShown);
    // The enumeration text the walk gives this entry.
    static const WCHAR kChildId[];

private:
    IHistoryOwner* m_root;
    mx::thread_affinity m_uiThread;
};
