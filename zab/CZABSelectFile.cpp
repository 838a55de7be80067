#include "zab/CZABSelectFile.h"

#include <commdlg.h>
#include <cwchar>
#include <new>
#include "zab/CZABEngine.h"
#include "zab/CZABExt.h"
#include "zab/CZABTextBox.h"
#include "zab/ZABFlags.h"

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
    m_flags = ZABReadFlags(node, {{L"allowMultiSelect", FALSE, OFN_ALLOWMULTISELECT},
                                  {L"dontAddRecent", TRUE, OFN_DONTADDTORECENT},
                                  {L"enableSizing", TRUE, OFN_ENABLESIZING},
                                  {L"explorer", FALSE, OFN_EXPLORER},
                                  {L"fileMustExist", FALSE, OFN_FILEMUSTEXIST},
                                  {L"forceHidden", FALSE, OFN_FORCESHOWHIDDEN},
                                  {L"hideReadOnly", TRUE, OFN_HIDEREADONLY},
                                  {L"longNames", TRUE, OFN_LONGNAMES},
                                  {L"noNetworkButton", FALSE, OFN_NONETWORKBUTTON},
                                  {L"noReadOnlyReturn", FALSE, OFN_NOREADONLYRETURN},
                                  {L"noTestFileCreate", FALSE, OFN_NOTESTFILECREATE},
                                  {L"noValidate", FALSE, OFN_NOVALIDATE},
                                  {L"overwriteprompt", TRUE, OFN_OVERWRITEPROMPT},
                                  {L"pathmustexist", TRUE, OFN_PATHMUSTEXIST},
                                  {L"readonly", FALSE, OFN_READONLY},
                                  {L"shareaware", FALSE, OFN_SHAREAWARE},
                                  {L"showhelp", FALSE, OFN_SHOWHELP},
                                  {L"createprompt", TRUE, OFN_CREATEPROMPT}});
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
    request.Flags = m_flags;
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
