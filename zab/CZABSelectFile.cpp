#include "zab/CZABSelectFile.h"

#include <commdlg.h>
#include <cwchar>
#include <new>
#include "zab/CZABEngine.h"
#include "zab/CZABExt.h"
#include "zab/CZABTextBox.h"

CZABSelectFile::CZABSelectFile(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {}

CZABSelectFile::~CZABSelectFile() = default;

BOOL CZABSelectFile::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"selectfile", type, out);
}

BOOL CZABSelectFile::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_type = CZABEngine::GetAttrEnum(node, L"type", {L"open", L"save"}, 0);
    m_title = ReadLocText(node, L"title");
    m_saveTo = CZABEngine::GetAttrString(node, L"saveto");
    m_allowMultiSelect = CZABEngine::GetAttrBool(node, L"allowMultiSelect", FALSE);
    m_dontAddRecent = CZABEngine::GetAttrBool(node, L"dontAddRecent", TRUE);
    m_enableSizing = CZABEngine::GetAttrBool(node, L"enableSizing", TRUE);
    m_explorer = CZABEngine::GetAttrBool(node, L"explorer", FALSE);
    m_fileMustExist = CZABEngine::GetAttrBool(node, L"fileMustExist", FALSE);
    m_forceHidden = CZABEngine::GetAttrBool(node, L"forceHidden", FALSE);
    m_hideReadOnly = CZABEngine::GetAttrBool(node, L"hideReadOnly", TRUE);
    m_longNames = CZABEngine::GetAttrBool(node, L"longNames", TRUE);
    m_noNetworkButton = CZABEngine::GetAttrBool(node, L"noNetworkButton", FALSE);
    m_noReadOnlyReturn = CZABEngine::GetAttrBool(node, L"noReadOnlyReturn", FALSE);
    m_noTestFileCreate = CZABEngine::GetAttrBool(node, L"noTestFileCreate", FALSE);
    m_noValidate = CZABEngine::GetAttrBool(node, L"noValidate", FALSE);
    m_overwritePrompt = CZABEngine::GetAttrBool(node, L"overwriteprompt", TRUE);
    m_pathMustExist = CZABEngine::GetAttrBool(node, L"pathmustexist", TRUE);
    m_readOnly = CZABEngine::GetAttrBool(node, L"readonly", FALSE);
    m_shareAware = CZABEngine::GetAttrBool(node, L"shareaware", FALSE);
    m_showHelp = CZABEngine::GetAttrBool(node, L"showhelp", FALSE);
    m_createPrompt = CZABEngine::GetAttrBool(node, L"createprompt", TRUE);
    return TRUE;
}

BOOL CZABSelectFile::Create() {
    return TRUE;
}

void CZABSelectFile::SetFileName(const WCHAR* name) {
    m_fileName = ZABCopyText(name);
}

void CZABSelectFile::AddFilter(const WCHAR* text, const WCHAR* extension) {
    auto* filter = new (std::nothrow) CZABExt(this, m_engine);
    if (!filter) return;
    filter->SetFilter(text, extension);
    AddChild(filter);
}

void CZABSelectFile::RemoveAllFilters() {
    m_children.clear();
}

// Text, zero, pattern, zero for each filter that has both, and one more zero
// at the end; empty when there is none. An empty text or pattern would end
// the list early, so such a filter counts as incomplete.
std::wstring CZABSelectFile::FilterList() const {
    std::wstring list;
    for (int i = 0; i < GetChildCount(); ++i) {
        const auto* ext = GetChildAs<CZABExt>(i, L"ext");
        if (!ext) continue;
        const WCHAR* text = ext->GetFilterText();
        const WCHAR* pattern = ext->GetExtension();
        if (!text || !*text || !pattern || !*pattern) continue;
        list.append(text).push_back(L'\0');
        list.append(pattern).push_back(L'\0');
    }
    if (!list.empty()) list.push_back(L'\0');
    return list;
}

DWORD CZABSelectFile::Flags() const {
    const struct {
        BOOL on;
        DWORD flag;
    } flags[] = {
        {m_allowMultiSelect, OFN_ALLOWMULTISELECT}, {m_dontAddRecent, OFN_DONTADDTORECENT},
        {m_enableSizing, OFN_ENABLESIZING},         {m_explorer, OFN_EXPLORER},
        {m_fileMustExist, OFN_FILEMUSTEXIST},       {m_forceHidden, OFN_FORCESHOWHIDDEN},
        {m_hideReadOnly, OFN_HIDEREADONLY},         {m_longNames, OFN_LONGNAMES},
        {m_noNetworkButton, OFN_NONETWORKBUTTON},   {m_noReadOnlyReturn, OFN_NOREADONLYRETURN},
        {m_noTestFileCreate, OFN_NOTESTFILECREATE}, {m_noValidate, OFN_NOVALIDATE},
        {m_overwritePrompt, OFN_OVERWRITEPROMPT},   {m_pathMustExist, OFN_PATHMUSTEXIST},
        {m_readOnly, OFN_READONLY},                 {m_shareAware, OFN_SHAREAWARE},
        {m_showHelp, OFN_SHOWHELP},                 {m_createPrompt, OFN_CREATEPROMPT},
    };
    DWORD result = 0;
    for (const auto& f : flags) {
        if (f.on) result |= f.flag;
    }
    return result;
}

void CZABSelectFile::OnActivate(CZABElement* source) {
    const std::wstring filters = FilterList();
    // A start name that does not fit is not offered: the dialog starts empty.
    WCHAR path[kMaxPath] = {};
    if (m_fileName && std::wcslen(m_fileName.get()) < kMaxPath) {
        std::wcscpy(path, m_fileName.get());
    }
    HWND host = m_parent ? m_parent->GetHostWindow() : nullptr;
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = host ? ::GetAncestor(host, GA_ROOT) : nullptr;
    request.hInstance = m_engine ? m_engine->GetInstance() : nullptr;
    request.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    request.lpstrFile = path;
    request.nMaxFile = kMaxPath;
    request.lpstrTitle = m_title.get();
    request.Flags = Flags();
    const BOOL chosen = m_type == 1 ? ::GetSaveFileNameW(&request) : ::GetOpenFileNameW(&request);
    path[kMaxPath - 1] = L'\0';
    if (chosen && path[0]) Deliver(path);
}

void CZABSelectFile::Deliver(const WCHAR* path) {
    CZABElement* target = m_saveTo ? GetRoot()->FindById(m_saveTo.get()) : nullptr;
    if (!target) return;
    CZABElement* textBox = nullptr;
    if (target->QueryElement(L"textbox", &textBox) &&
        !static_cast<CZABTextBox*>(textBox)->Fits(std::wcslen(path))) {
        return;
    }
    target->SetText(path);
}
