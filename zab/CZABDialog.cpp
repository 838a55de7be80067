#include "zab/CZABDialog.h"

#include "zab/CZABEngine.h"
#include "zab/ZABDialogTemplate.h"
#include "zab/ZABMeasure.h"

namespace {

// Popup, visible, caption, system menu, modal frame, font given.
const DWORD kDialogStyle = 0x90C800C0;

// The window size whose client area is `content`, with the window's frame.
SIZE WithFrame(HWND window, SIZE content) {
    RECT outer = {};
    RECT client = {};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    return {content.cx + (outer.right - outer.left) - (client.right - client.left),
            content.cy + (outer.bottom - outer.top) - (client.bottom - client.top)};
}

}  // namespace

CZABDialog::CZABDialog(CZABElement* parent, CZABEngine* engine) : CZABElement(parent, engine) {
    m_marginLeft = m_marginRight = m_marginTop = m_marginBottom = 5;
}

CZABDialog::~CZABDialog() = default;

BOOL CZABDialog::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"dialog", type, out);
}

BOOL CZABDialog::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_caption = ReadLocText(node, L"caption");
    m_centerScreen = CZABEngine::GetAttrBool(node, L"centerScreen", FALSE);
    m_style = kDialogStyle;
    m_exStyle = 0;
    return TRUE;
}

void CZABDialog::OnInitDialog() {
    RECT units = {4, 4, 7, 7};
    ::MapDialogRect(m_window, &units);
    m_hSpacing = units.left;
    m_vSpacing = units.top;
    m_marginLeft = m_marginRight = units.right;
    m_marginTop = m_marginBottom = units.bottom;
    Create();
    RECT client = {};
    ::GetClientRect(m_window, &client);
    SIZE size = {0, 0};
    GetMinSize(&size);
    Layout(client.left, client.top, size.cx, size.cy);
    PlaceWindow(size);
}

// A menu bar takes its height for the width it is given: the frame is
// measured again once the window has that width.
void CZABDialog::PlaceWindow(SIZE content) {
    PlaceOnce(content);
    PlaceOnce(content);
}

// Centred in the work area, or at the owner's top-left corner pushed back
// inside it. Without an owner there is no corner to start from. A dialog
// larger than the work area keeps its caption bar on screen either way, where
// the user can still take hold of it.
void CZABDialog::PlaceOnce(SIZE content) {
    const SIZE size = WithFrame(m_window, content);
    HWND owner = ::GetWindow(m_window, GW_OWNER);
    const RECT work = ZABWorkAreaNear(owner ? owner : m_window);
    POINT at = {work.left + (work.right - work.left) / 2 - size.cx / 2,
                work.top + (work.bottom - work.top) / 2 - size.cy / 2};
    if (!m_centerScreen && owner) {
        RECT ownerRect = {};
        ::GetWindowRect(owner, &ownerRect);
        at = {ownerRect.left, ownerRect.top};
        if (at.x + size.cx > work.right) at.x = work.right - size.cx;
        if (at.y + size.cy > work.bottom) at.y = work.bottom - size.cy;
    }
    if (at.x < work.left) at.x = work.left;
    if (at.y < work.top) at.y = work.top;
    ::SetWindowPos(m_window, nullptr, at.x, at.y, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

BOOL CZABDialog::OnClose(int reason) {
    return TRUE;
}

LRESULT CZABDialog::OnChildNotify(CZABElement* element, WPARAM wParam, NMHDR* header) {
    return 0;
}

LRESULT CZABDialog::OnChildCommand(CZABElement* element, int code, int id, HWND control) {
    return 0;
}

INT_PTR CZABDialog::DoModal(HINSTANCE instance, const WCHAR* document, HWND owner) {
    m_document = ZABCopyText(document);
    if (!m_document || !LoadDocument(m_document.get(), L"dialog", instance)) return 0;
    if (!m_template && !BuildTemplate(m_left, m_top, m_width, m_height)) return 0;
    mx::unique_hglobal_locked locked(m_template.get());
    if (!locked) return 0;
    const INT_PTR result = ::DialogBoxIndirectParamW(
        instance, static_cast<LPCDLGTEMPLATEW>(locked.get()), owner, ZABDialogProc,
        reinterpret_cast<LPARAM>(this));
    return result == -1 ? 0 : result;
}

// The position is not used: the window is placed once its size is known.
BOOL CZABDialog::BuildTemplate(int x, int y, int cx, int cy) {
    m_template = ZABBuildDialogTemplate(m_style, m_exStyle, cx, cy, m_caption.get());
    return m_template ? TRUE : FALSE;
}

// Nothing thrown by the dialog's code (a subclass's hook, an element out of
// memory) may pass back into the dialog manager. The dialog is then in no
// state to be trusted, nor are the values its hooks would have saved: it ends
// as one that could not be shown, and the page of a tab box ends the dialog
// around it.
INT_PTR CALLBACK CZABDialog::ZABDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    try {
        return Route(window, message, wParam, lParam);
    } catch (...) {
        ::EndDialog(::GetAncestor(window, GA_ROOT), 0);
        return TRUE;
    }
}

INT_PTR CZABDialog::Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CZABDialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        // Only the dialog manager's first one sets the dialog up: a later one
        // (anyone can send it) would take lParam for the element and make
        // every control again.
        if (dialog) return FALSE;
        dialog = reinterpret_cast<CZABDialog*>(lParam);
        if (!dialog) return FALSE;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        dialog->m_window = window;
        dialog->OnInitDialog();
        return TRUE;
    }
    if (!dialog) return FALSE;
    switch (message) {
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        CZABElement* element = header ? dialog->FindByWindow(header->hwndFrom) : nullptr;
        if (element && element->OnNotify(wParam, header)) return TRUE;
        dialog->OnChildNotify(element, wParam, header);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDCANCEL || id == IDOK) {
            // Accept and cancel inside a tab panel end the dialog around it:
            // ending the panel itself would only make the page vanish.
            HWND top = ::GetAncestor(window, GA_ROOT);
            if (top && top != window) {
                ::SendMessageW(top, WM_COMMAND, wParam, lParam);
            } else if (dialog->OnClose(id)) {
                ::EndDialog(window, id);
            }
            return TRUE;
        }
        HWND control = reinterpret_cast<HWND>(lParam);
        CZABElement* element = dialog->FindByWindow(control);
        if (element && element->OnCommand(HIWORD(wParam), id, control)) return TRUE;
        dialog->OnChildCommand(element, HIWORD(wParam), id, control);
        return TRUE;
    }
    case WM_CLOSE:
        if (dialog->OnClose(0)) ::EndDialog(window, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}
