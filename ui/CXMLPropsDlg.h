// The properties dialog: the root button's hotkeys, queue size,
// confirmations and drag permission, shown from the document
// "res:properties.xml", with the library's version on its About page.
#pragma once
#include <windows.h>
#include <string>
#include "zab/CZABDialog.h"

class CXMLPropsDlg : public CZABDialog {
public:
    // The values the dialog edits; read back on OK only.
    struct Values {
        WORD openMenuHotKey = 0;
        WORD swapHotKey = 0;
        int queueSize = 0;
        BOOL confirmDeleteAll = 0;
        BOOL confirmDeleteOne = 0;
        BOOL allowDrag = 0;
        // How many of the newest entries the menu lists; 0: all.
        int menuEntries = 0;
        WORD searchHotKey = 0;  // opens the history window
    };
    // The largest history a user can ask for (and the most menu entries);
    // more is brought down to it.
    static constexpr int kMaxQueueSize = 100000;

    explicit CXMLPropsDlg(CZABEngine* engine);

    void OnInitDialog() override;
    // OK keeps the dialog open while a typed queue size or number of menu
    // entries is no number, or a negative one, and brings one above the
    // largest down to it; a number the dialog opened with, left as it was,
    // is kept.
    BOOL OnClose(int reason) override;

    Values& GetValues() { return m_values; }

    // The file version of `module`: its parts joined with ".", the trailing
    // zero parts left out but at least two shown ("2.3" for 2.3.0.0,
    // "2.3.0.1"); "0.0.0.0" without a readable version resource.
    static std::wstring VersionText(HMODULE module);
    static std::wstring VersionText(const WORD parts[4]);

private:
    void SetControlValue(const WCHAR* id, int value);
    // The control's value, or `current` when the document has no such control.
    int ControlValue(const WCHAR* id, int current);
    // A count field: its text shown and the value it stands for.
    struct CountField {
        const WCHAR* id;
        int Values::*value;
        std::wstring shown;  // the field's text as the dialog opened
    };
    // False (the field chosen for the user to mend) when the field's count
    // cannot be taken.
    bool ReadCount(CountField& field);

    Values m_values;
    CountField m_counts[2];
};
