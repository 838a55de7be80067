// The history window: a search field that keeps the focus and the entries,
// newest first, that hold every word typed. Enter puts the chosen entry back
// (Shift+Enter its plain text) and closes; Delete deletes it; Lock toggles
// its lock; Escape closes. Shown from the document "res:history.xml".
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "clipdata/CClipboardItem.h"
#include "ui/CHistoryRows.h"
#include "zab/CZABDialog.h"

class IHistoryOwner;

class CHistoryDlg : public CZABDialog {
public:
    explicit CHistoryDlg(IHistoryOwner* root);
    ~CHistoryDlg() override;

    void OnInitDialog() override;
    // Accept puts the selected entry back.
    BOOL OnClose(int reason) override;
    LRESULT OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header) override;
    LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override;

    // The entries as the history now holds them, the query and the chosen
    // entry kept.
    void Refresh();

    // Where the window was when it closed; empty before.
    const RECT& GetPlacement() const { return m_placement; }
    // Where it opens (an empty rectangle: where the engine places it).
    void SetPlacement(const RECT& placement) { m_placement = placement; }

private:
    void LoadEntries();
    void ApplyFilter();
    void SetupList();
    int Selected() const;
    void Select(int row);
    CClipboardItem* SelectedItem() const;
    void DeleteSelected();
    void ToggleLock();
    void FillItem(NMLVDISPINFOW* info);
    void Resized();
    bool RestoreChosen();
    // Keys typed into the search field that act on the list.
    bool OnFieldKey(UINT message, WPARAM key);
    static LRESULT CALLBACK FieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);

    IHistoryOwner* m_root;
    CHistoryRows m_rows;
    std::vector<int> m_shown;  // places in m_rows
    HWND m_field = nullptr;
    HWND m_list = nullptr;
    SIZE m_minimum = {0, 0};
    RECT m_placement = {0, 0, 0, 0};
    bool m_shift = false;
    bool m_control = false;
    bool m_plainText = false;
    std::wstring m_lockedMark;
};
