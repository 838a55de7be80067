#include "ui/CXMLPropsDlg.h"
#include <vector>
#include "base/Module.h"
#include "ui/FieldFocus.h"

namespace {

const WCHAR kOpenMenuHotKey[] = L"hk-open";
const WCHAR kSwapHotKey[] = L"hk-swap";
const WCHAR kSearchHotKey[] = L"hk-search";
const WCHAR kQueueSize[] = L"queue-size";
const WCHAR kMenuEntries[] = L"menu-entries";
const WCHAR kConfirmDeleteOne[] = L"ask-del-one";
const WCHAR kConfirmDeleteAll[] = L"ask-del-all";
const WCHAR kAllowDrag[] = L"allow-drag";
const WCHAR kVersion[] = L"version";

const int kAccepted = 1;

// A whole decimal number without sign, or -1; more than `limit` gives limit + 1.
int ParseCount(const WCHAR* text, int limit) {
    while (text && (*text == L' ' || *text == L'\t')) ++text;
    if (!text || *text < L'0' || *text > L'9') return -1;
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text)
        if (value <= limit) value = value * 10 + (*text - L'0');
    while (*text == L' ' || *text == L'\t') ++text;
    if (*text) return -1;
    return value > limit ? limit + 1 : static_cast<int>(value);
}

}  // namespace

CXMLPropsDlg::CXMLPropsDlg(CZABEngine* engine)
    : CZABDialog(nullptr, engine),
      m_counts{{kQueueSize, &Values::queueSize, {}}, {kMenuEntries, &Values::menuEntries, {}}} {}

std::wstring CXMLPropsDlg::VersionText(const WORD parts[4]) {
    int shown = 4;
    while (shown > 2 && parts[shown - 1] == 0) --shown;
    // All four zero is no version at all: it is shown as it is.
    if (shown == 2 && parts[0] == 0 && parts[1] == 0) shown = 4;
    std::wstring text;
    for (int i = 0; i < shown; ++i) {
        if (i) text += L'.';
        text += std::to_wstring(parts[i]);
    }
    return text;
}

std::wstring CXMLPropsDlg::VersionText(HMODULE module) {
    WORD parts[4] = {0, 0, 0, 0};
    std::vector<WCHAR> path(32768);
    DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    DWORD ignored = 0;
    DWORD size = length && length < path.size() ? ::GetFileVersionInfoSizeW(path.data(), &ignored) : 0;
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoSize = 0;
    if (size && ::GetFileVersionInfoW(path.data(), 0, size, block.data()) &&
        ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) && info &&
        infoSize >= sizeof(VS_FIXEDFILEINFO)) {
        parts[0] = HIWORD(info->dwFileVersionMS);
        parts[1] = LOWORD(info->dwFileVersionMS);
        parts[2] = HIWORD(info->dwFileVersionLS);
        parts[3] = LOWORD(info->dwFileVersionLS);
    }
    return VersionText(parts);
}

void CXMLPropsDlg::SetControlValue(const WCHAR* id, int value) {
    if (CZABElement* control = FindById(id)) control->SetValue(value);
}

int CXMLPropsDlg::ControlValue(const WCHAR* id, int current) {
    CZABElement* control = FindById(id);
    return control ? control->GetValue() : current;
}

void CXMLPropsDlg::OnInitDialog() {
    CZABDialog::OnInitDialog();
    SetControlValue(kOpenMenuHotKey, m_values.openMenuHotKey);
    SetControlValue(kSwapHotKey, m_values.swapHotKey);
    SetControlValue(kSearchHotKey, m_values.searchHotKey);
    for (CountField& count : m_counts) {
        SetControlValue(count.id, m_values.*count.value);
        if (CZABElement* field = FindById(count.id)) count.shown = field->GetTextOr(L"");
    }
    SetControlValue(kConfirmDeleteOne, m_values.confirmDeleteOne);
    SetControlValue(kConfirmDeleteAll, m_values.confirmDeleteAll);
    SetControlValue(kAllowDrag, m_values.allowDrag);
    if (CZABElement* version = FindById(kVersion))
        version->SetText((L"v" + VersionText(GetModuleInstance())).c_str());
}

bool CXMLPropsDlg::ReadCount(CountField& count) {
    CZABElement* field = FindById(count.id);
    if (!field) return true;
    // Only what the user typed is refused or brought down: the number the
    // dialog opened with stays as it is, however large.
    if (count.shown == field->GetTextOr(L"")) return true;
    int value = ParseCount(field->GetText(), kMaxQueueSize);
    if (value < 0) {
        PointUserAt(m_window, field);
        return false;
    }
    if (value > kMaxQueueSize) {
        // Shown brought down, for the user to see before a second OK takes it.
        field->SetValue(kMaxQueueSize);
        PointUserAt(m_window, field);
        return false;
    }
    m_values.*count.value = value;
    return true;
}

BOOL CXMLPropsDlg::OnClose(int reason) {
    if (reason != kAccepted) return TRUE;
    for (CountField& count : m_counts)
        if (!ReadCount(count)) return FALSE;
    m_values.openMenuHotKey = static_cast<WORD>(ControlValue(kOpenMenuHotKey, m_values.openMenuHotKey));
    m_values.swapHotKey = static_cast<WORD>(ControlValue(kSwapHotKey, m_values.swapHotKey));
    m_values.searchHotKey = static_cast<WORD>(ControlValue(kSearchHotKey, m_values.searchHotKey));
    m_values.confirmDeleteOne = ControlValue(kConfirmDeleteOne, m_values.confirmDeleteOne) != 0;
    m_values.confirmDeleteAll = ControlValue(kConfirmDeleteAll, m_values.confirmDeleteAll) != 0;
    m_values.allowDrag = ControlValue(kAllowDrag, m_values.allowDrag) != 0;
    return TRUE;
}
