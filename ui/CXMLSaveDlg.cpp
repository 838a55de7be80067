#include "ui/CXMLSaveDlg.h"
#include <shlobj.h>
#include <string>
#include "ui/CFileTypeTable.h"
#include "ui/FieldFocus.h"
#include "zab/CZABComboBox.h"
#include "zab/CZABEngine.h"
#include "zab/CZABSelectFile.h"

namespace {

const WCHAR kFormat[] = L"format";
const WCHAR kFileName[] = L"filename";
const WCHAR kFileChooser[] = L"save";
const WCHAR kDefaultFileName[] = L"Clipboard Snapshot";
const WCHAR kDefaultAllFiles[] = L"All Files";
const WCHAR kAllFilesPattern[] = L"*.*";

const int kAccepted = 1;
// What a SaveFormatEntry holds of a name, without its terminating zero.
const size_t kLongestName = MAX_PATH - 1;

}  // namespace

CXMLSaveDlg::CXMLSaveDlg(CZABEngine* engine) : CZABDialog(nullptr, engine) {}

std::wstring CXMLSaveDlg::DefaultFileName(const std::wstring& folder, const CZABEngine& engine) {
    std::wstring name = folder;
    if (!name.empty() && name.back() != L'\\') name += L'\\';
    return name + engine.GetString(L"IDS_DEFAULT_FILENAME", nullptr, kDefaultFileName);
}

CZABComboBox* CXMLSaveDlg::FormatBox() {
    CZABElement* element = FindById(kFormat);
    CZABElement* box = nullptr;
    return element && element->QueryElement(L"combobox", &box) ? static_cast<CZABComboBox*>(box) : nullptr;
}

CZABSelectFile* CXMLSaveDlg::FileChooser() {
    CZABElement* element = FindById(kFileChooser);
    CZABElement* chooser = nullptr;
    return element && element->QueryElement(L"selectfile", &chooser) ? static_cast<CZABSelectFile*>(chooser)
                                                                      : nullptr;
}

// The list answers 0 when nothing is chosen, which would pass for the first
// entry: a type not offered (one without a text) must not be saved.
int CXMLSaveDlg::ChosenEntry() {
    CZABComboBox* box = FormatBox();
    if (!box || !box->GetWindow()) return -1;
    if (::SendMessageW(box->GetWindow(), CB_GETCURSEL, 0, 0) == CB_ERR) return -1;
    int index = box->GetValue();
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1;
}

const FileTypeRow* CXMLSaveDlg::ChosenRow() {
    int index = ChosenEntry();
    return index < 0 ? nullptr : CFileTypeTable::Find(m_entries[index].format);
}

void CXMLSaveDlg::OnInitDialog() {
    CZABDialog::OnInitDialog();
    if (CZABComboBox* box = FormatBox()) {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            const FileTypeRow* row = CFileTypeTable::Find(m_entries[i].format);
            const WCHAR* text = row ? CFileTypeTable::Text(*row, *m_engine) : nullptr;
            if (text && *text) box->AddItem(static_cast<int>(i), text);
        }
        box->SetValue(0);
    }
    WCHAR documents[MAX_PATH] = L"";
    if (FAILED(::SHGetFolderPathW(m_window, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
        documents[0] = L'\0';
    if (CZABElement* name = FindById(kFileName)) name->SetText(DefaultFileName(documents, *m_engine).c_str());
    ApplyFileType();
}

void CXMLSaveDlg::ApplyFileType() {
    const FileTypeRow* row = ChosenRow();
    CZABElement* name = FindById(kFileName);
    CZABSelectFile* chooser = FileChooser();
    if (row && name) {
        std::wstring renamed = CFileTypeTable::ApplyExtension(name->GetTextOr(L""), *row);
        name->SetText(renamed.c_str());
        if (chooser) chooser->SetFileName(renamed.c_str());
    }
    SetFilters(row);
}

void CXMLSaveDlg::SetFilters(const FileTypeRow* row) {
    CZABSelectFile* chooser = FileChooser();
    if (!chooser) return;
    chooser->RemoveAllFilters();
    if (row)
        chooser->AddFilter(CFileTypeTable::Text(*row, *m_engine), row->filter);
    else
        chooser->AddFilter(L"", L"");
    chooser->AddFilter(m_engine->GetString(L"allfiles", nullptr, kDefaultAllFiles), kAllFilesPattern);
}

LRESULT CXMLSaveDlg::OnChildCommand(CZABElement* element, int code, int id, HWND control) {
    if (!element) return 0;
    if (ZABSameText(element->GetId(), kFormat) && code == CBN_SELCHANGE) {
        ApplyFileType();
    } else if (ZABSameText(element->GetId(), kFileName) && code == EN_CHANGE) {
        // Browse... starts from the name as typed so far.
        if (CZABSelectFile* chooser = FileChooser()) chooser->SetFileName(element->GetTextOr(L""));
    }
    return 0;
}

BOOL CXMLSaveDlg::OnClose(int reason) {
    if (reason != kAccepted) return TRUE;
    int index = ChosenEntry();
    if (index < 0) return FALSE;
    CZABElement* field = FindById(kFileName);
    const WCHAR* name = field ? field->GetTextOr(L"") : L"";
    size_t length = ::lstrlenW(name);
    if (length == 0 || length > kLongestName) {
        if (field) PointUserAt(m_window, field);
        return FALSE;
    }
    m_chosen = m_entries[index];
    ::lstrcpynW(m_chosen.fileName, name, MAX_PATH);
    return TRUE;
}
