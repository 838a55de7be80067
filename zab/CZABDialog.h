// The root of a dialog document: loads it, runs it modally from an
// in-memory template and, once the window exists, creates the controls,
// lays them out and sizes and places the window. ZABDialogProc serves every
// dialog and tab panel and routes notifications and commands to elements.
#pragma once
#include <windows.h>
#include "base/Unique.h"
#include "zab/CZABElement.h"

class CZABDialog : public CZABElement {
public:
    CZABDialog(CZABElement* parent, CZABEngine* engine);
    ~CZABDialog() override;
    BOOL QueryElement(const WCHAR* type, CZABElement** out) override;
    BOOL LoadFromXml(IXMLDOMNode* node) override;

    // Hooks for subclasses, after the element's operations.
    virtual void OnInitDialog();
    // Reason 0: the close command; 1: accept (id 1); 2: cancel (id 2).
    // Nonzero lets the dialog end.
    virtual BOOL OnClose(int reason);
    virtual LRESULT OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header);
    virtual LRESULT OnChildCommand(CZABElement* element, int code, int id, HWND control);

    // 1 after accept, 2 after cancel or close, 0 when the document cannot
    // be loaded, the dialog not be made or its code failed while it ran.
    INT_PTR DoModal(HINSTANCE instance, const WCHAR* document, HWND owner);
    BOOL BuildTemplate(int x, int y, int cx, int cy);
    static INT_PTR CALLBACK ZABDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // The work of ZABDialogProc, which keeps anything thrown inside.
    static INT_PTR Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Sizes the window to its content and places it by its owner.
    void PlaceWindow(SIZE content);
    void PlaceOnce(SIZE content);

    mx::unique_hglobal m_template;
    ZABText m_caption;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    ZABText m_document;
    BOOL m_centerScreen = FALSE;
};
