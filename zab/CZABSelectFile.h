// The file dialog a button opens; the chosen path goes to the "saveto"
// element. Its "ext" children are the dialog's filters.
#pragma once
#include <windows.h>
#include <string>
#include "zab/CZABElement.h"

class CZABSelectFile : public CZABElement {
public:
    CZABSelectFile(CZABElement* parent, CZABEngine* engine);
    ~CZABSelectFile() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;
    // No window; the filters make none either.
    BOOL Create() override;
    // Shows the file dialog for the button that was clicked.
    void OnActivate(CZABElement* source) override;

    // The file name the dialog starts with.
    void SetFileName(const WCHAR* name);
    void AddFilter(const WCHAR* text, const WCHAR* extension);
    void RemoveAllFilters();

    // The file name buffer, terminator included; longer paths are refused.
    static const int kMaxPath = 500;

protected:
    int m_type = 0;                // "type": "open", "save"
    ZABText m_title;               // "title", localised
    ZABText m_saveTo;              // "saveto"
    DWORD m_flags = 0;             // the file dialog's, from the flag attributes
    ZABText m_fileName;

private:
    std::wstring FilterList() const;
    // Hands the path to the "saveto" element if it takes a text that long.
    void Deliver(const WCHAR* path);
};
