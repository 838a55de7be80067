// The save dialog: the file type and the file name under which one history
// entry is saved, shown from the document "res:save.xml". The entry's item
// fills the list of types it offers before the dialog runs.
#pragma once
#include <windows.h>
#include <string>
#include "clipdata/SaveFormatEntry.h"
#include "zab/CZABDialog.h"

class CZABComboBox;
class CZABSelectFile;
struct FileTypeRow;

class CXMLSaveDlg : public CZABDialog {
public:
    explicit CXMLSaveDlg(CZABEngine* engine);

    void OnInitDialog() override;
    // OK keeps the dialog open without a type, without a name, or with a
    // name longer than a SaveFormatEntry holds.
    BOOL OnClose(int reason) override;
    LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control) override;

    SaveFormatList& GetEntries() { return m_entries; }
    // The type chosen on OK, with the file name.
    const SaveFormatEntry& GetChosen() const { return m_chosen; }

    // The name a file gets in `folder` before the user names it: the
    // localised "Clipboard Snapshot" there.
    static std::wstring DefaultFileName(const std::wstring& folder, const CZABEngine& engine);

private:
    CZABComboBox* FormatBox();
    CZABSelectFile* FileChooser();
    // The index of the chosen entry, or -1 when no offered type is chosen.
    int ChosenEntry();
    const FileTypeRow* ChosenRow();
    void ApplyFileType();
    void SetFilters(const FileTypeRow* row);

    SaveFormatList m_entries;
    SaveFormatEntry m_chosen = {};
};
