#include "zab/CZABElement.h"

#include <algorithm>
#include <new>
#include "zab/CZABEngine.h"
#include "zab/CZABGrid.h"
#include "zab/CZABWindowClass.h"
#include "zab/ZABMeasure.h"

using Microsoft::WRL::ComPtr;

CZABElement::CZABElement(CZABElement* parent, CZABEngine* engine)
    : m_parent(parent), m_engine(engine) {}

CZABElement::~CZABElement() = default;

// More tracks than elements can exist only as empty tracks with their gaps.
CZABGrid CZABElement::ChildGrid() {
    std::vector<CZABGrid::Cell> cells;
    cells.reserve(m_children.size());
    for (int i = 0; i < GetChildCount(); ++i) {
        CZABElement* child = GetChild(i);
        CZABGrid::Cell cell = {{0, 0}, child->GetHorizontalFlex(), child->GetVerticalFlex()};
        child->GetMinSize(&cell.minimum);
        cells.push_back(cell);
    }
    return CZABGrid(cells, m_orientation, m_columns, m_rows, kMaxElements);
}

BOOL CZABElement::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"", type, out);
}

void CZABElement::GetMinSize(SIZE* size) {
    int width = 0;
    int height = 0;
    if (!m_children.empty()) {
        CZABGrid grid = ChildGrid();
        width = grid.GetWidth(m_hSpacing);
        height = grid.GetHeight(m_vSpacing);
    }
    const long long cx = std::max(width, m_minWidth);
    const long long cy = std::max(height, m_minHeight);
    size->cx = CZABGrid::Bounded(cx + m_marginLeft + m_marginRight);
    size->cy = CZABGrid::Bounded(cy + m_marginTop + m_marginBottom);
}

void CZABElement::Layout(int x, int y, int cx, int cy) {
    if (m_window && m_parent) {
        ::SetWindowPos(m_window, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOOWNERZORDER);
        // Children made inside this window (a tab panel's controls) are
        // placed in its own coordinates, not in those of its parent.
        if (GetHostWindow() == m_window) x = y = 0;
    }
    if (m_children.empty()) return;
    CZABGrid grid = ChildGrid();
    const int columns = grid.GetColumnCount();
    const int rows = grid.GetRowCount();
    grid.ShareWidth(cx - (columns - 1) * m_hSpacing - m_marginRight - m_marginLeft);
    grid.ShareHeight(cy - (rows - 1) * m_vSpacing - m_marginBottom - m_marginTop);
    for (int i = 0; i < GetChildCount(); ++i) {
        const int column = grid.ColumnOf(i);
        const int row = grid.RowOf(i);
        m_children[i]->Layout(x + m_marginLeft + grid.ColumnOffset(column, m_hSpacing),
                              y + m_marginTop + grid.RowOffset(row, m_vSpacing),
                              grid.ColumnSize(column), grid.RowSize(row));
    }
}

BOOL CZABElement::LoadFromXml(IXMLDOMNode* node) {
    m_id = CZABEngine::GetAttrString(node, L"id");
    m_locid = CZABEngine::GetAttrString(node, L"locid");
    m_width = CZABEngine::GetAttrInt(node, L"width", 0);
    m_height = CZABEngine::GetAttrInt(node, L"height", 0);
    m_left = CZABEngine::GetAttrInt(node, L"left", 0);
    m_top = CZABEngine::GetAttrInt(node, L"top", 0);
    m_hFlex = CZABEngine::GetAttrInt(node, L"hFlex", 0);
    m_vFlex = CZABEngine::GetAttrInt(node, L"vFlex", 0);
    m_minWidth = CZABEngine::GetAttrInt(node, L"minwidth", 0);
    m_maxWidth = CZABEngine::GetAttrInt(node, L"maxwidth", 0);
    m_minHeight = CZABEngine::GetAttrInt(node, L"minheight", 0);
    m_maxHeight = CZABEngine::GetAttrInt(node, L"maxheight", 0);
    m_columns = CZABEngine::GetAttrInt(node, L"columns", 0);
    m_rows = CZABEngine::GetAttrInt(node, L"rows", 0);
    m_hidden = CZABEngine::GetAttrBool(node, L"hidden", FALSE);
    m_disabled = CZABEngine::GetAttrBool(node, L"disabled", FALSE);
    m_orientation = CZABEngine::GetAttrEnum(node, L"orient", {L"horizontal", L"vertical"}, 0);
    BuildChildren(node);
    return TRUE;
}

// Children are built in document order; nodes that name no element (text,
// comments, unknown names) are passed over with everything below them.
void CZABElement::BuildChildren(IXMLDOMNode* node) {
    if (!node || !m_engine || GetDepth() >= kMaxDepth) return;
    ComPtr<IXMLDOMNode> child;
    if (node->get_firstChild(&child) != S_OK) return;
    while (child) {
        DOMNodeType type = NODE_INVALID;
        mx::unique_bstr name;
        if (SUCCEEDED(child->get_nodeType(&type)) && type == NODE_ELEMENT &&
            SUCCEEDED(child->get_nodeName(name.put())) && name) {
            if (CZABElement* element = m_engine->CreateElement(name.get(), this)) {
                element->LoadFromXml(child.Get());
                AddChild(element);
            }
        }
        ComPtr<IXMLDOMNode> next;
        if (child->get_nextSibling(&next) != S_OK) break;
        child = next;
    }
}

int CZABElement::GetDepth() const {
    int depth = 0;
    for (const CZABElement* e = m_parent; e; e = e->m_parent) ++depth;
    return depth;
}

BOOL CZABElement::LoadDocument(const WCHAR* url, const WCHAR* rootName, HINSTANCE instance) {
    if (!url || !rootName) return FALSE;
    ComPtr<IXMLDOMDocument> document;
    if (std::wcsncmp(url, L"res:", 4) == 0) {
        document = ZABLoadXmlResource(instance, url + 4);
    } else {
        document = ZABLoadXmlFile(url);
    }
    if (!document) return FALSE;
    ComPtr<IXMLDOMNode> root = CZABEngine::SelectNode(document.Get(), rootName);
    if (!root || !ZABFitsLimits(root.Get(), kMaxDepth, kMaxElements)) return FALSE;
    return LoadFromXml(root.Get());
}

void CZABElement::AddChild(CZABElement* child) {
    if (!child) return;
    std::unique_ptr<CZABElement> owned(child);
    try {
        m_children.push_back(std::move(owned));
    } catch (const std::bad_alloc&) {
        // Out of memory: the child is dropped with its subtree.
    }
}

BOOL CZABElement::Create() {
    if (m_parent) {
        m_hSpacing = m_parent->m_hSpacing;
        m_vSpacing = m_parent->m_vSpacing;
    }
    for (const auto& child : m_children) child->Create();
    return TRUE;
}

void CZABElement::OnActivate(CZABElement* source) {}

BOOL CZABElement::OnNotify(WPARAM wParam, NMHDR* header) {
    return FALSE;
}

BOOL CZABElement::OnCommand(int code, int id, HWND control) {
    return FALSE;
}

int CZABElement::GetKind() {
    return 0;
}

HWND CZABElement::GetHostWindow() {
    if (m_window) return m_window;
    return m_parent ? m_parent->GetHostWindow() : nullptr;
}

void CZABElement::SetValue(int value) {}

int CZABElement::GetValue() {
    return 0;
}

void CZABElement::SetText(const WCHAR* text) {}

const WCHAR* CZABElement::GetText() {
    return nullptr;
}

void CZABElement::UpdateVisibility() {
    if (m_window) ::ShowWindow(m_window, IsHidden() ? SW_HIDE : SW_SHOWNA);
    for (const auto& child : m_children) child->UpdateVisibility();
}

void CZABElement::UpdateEnabled() {
    if (m_window) ::EnableWindow(m_window, !IsDisabled());
    for (const auto& child : m_children) child->UpdateEnabled();
}

// A flag that is not set means "as the parent": "false" cannot show an
// element inside a hidden one.
BOOL CZABElement::IsDisabled() {
    if (m_disabled) return TRUE;
    return m_parent ? m_parent->IsDisabled() : FALSE;
}

BOOL CZABElement::IsHidden() {
    if (m_hidden) return TRUE;
    return m_parent ? m_parent->IsHidden() : FALSE;
}

CZABElement* CZABElement::FindById(const WCHAR* id) {
    if (ZABSameText(m_id.get(), id)) return this;
    for (const auto& child : m_children) {
        if (CZABElement* found = child->FindById(id)) return found;
    }
    return nullptr;
}

CZABElement* CZABElement::FindByWindow(HWND window) {
    if (!window) return nullptr;
    if (m_window == window) return this;
    for (const auto& child : m_children) {
        if (CZABElement* found = child->FindByWindow(window)) return found;
    }
    return nullptr;
}

CZABElement* CZABElement::GetRoot() {
    CZABElement* root = this;
    while (root->m_parent) root = root->m_parent;
    return root;
}

void CZABElement::SetHidden(BOOL hidden) {
    m_hidden = hidden ? TRUE : FALSE;
    UpdateVisibility();
}

const WCHAR* CZABElement::GetTextOr(const WCHAR* fallback) {
    const WCHAR* text = GetText();
    return text ? text : fallback;
}

const WCHAR* CZABElement::GetLocId() const {
    return m_locid.get();
}

const WCHAR* CZABElement::GetId() const {
    return m_id.get();
}

CZABElement* CZABElement::GetParent() const {
    return m_parent;
}

CZABEngine* CZABElement::GetEngine() const {
    return m_engine;
}

HWND CZABElement::GetWindow() const {
    return m_window;
}

int CZABElement::GetChildCount() const {
    return static_cast<int>(m_children.size());
}

CZABElement* CZABElement::GetChild(int index) const {
    if (index < 0 || index >= GetChildCount()) return nullptr;
    return m_children[index].get();
}

int CZABElement::GetHorizontalFlex() const {
    return m_hFlex;
}

int CZABElement::GetVerticalFlex() const {
    return m_vFlex;
}

int CZABElement::GetOrientation() const {
    return m_orientation;
}

BOOL CZABElement::AnswerQuery(const WCHAR* own, const WCHAR* type, CZABElement** out) {
    const bool same = type && ::CompareStringOrdinal(own, -1, type, -1, TRUE) == CSTR_EQUAL;
    if (out) *out = same ? this : nullptr;
    return same ? TRUE : FALSE;
}

ZABText CZABElement::ReadLocText(IXMLDOMNode* node, const WCHAR* name) const {
    if (m_engine) return m_engine->GetLocAttr(this, node, name);
    return CZABEngine::GetAttrString(node, name);
}

DWORD CZABElement::StateStyle() {
    return (IsHidden() ? 0 : WS_VISIBLE) | (IsDisabled() ? WS_DISABLED : 0);
}

void CZABElement::SetMinimum(int cx, int cy) {
    m_minWidth = cx;
    m_minHeight = cy;
}

void CZABElement::SetMinimumInUnits(int defaultWidth, int defaultHeight) {
    SetMinimum(MapX(m_width ? m_width : defaultWidth), MapY(m_height ? m_height : defaultHeight));
}

// Mapped on the dialog or panel the element sits in: once a control exists
// its own window is no dialog and would map with the system's base units.
int CZABElement::MapX(int units) {
    return ZABMapDialogUnits(m_parent ? m_parent->GetHostWindow() : GetHostWindow(), units, 0).x;
}

int CZABElement::MapY(int units) {
    return ZABMapDialogUnits(m_parent ? m_parent->GetHostWindow() : GetHostWindow(), 0, units).y;
}

HWND CZABElement::CreateDrawnControl(const CZABWindowClass& windowClass, void* self,
                                     const WCHAR* text, DWORD style) {
    return windowClass.CreateChild(m_parent ? m_parent->GetHostWindow() : nullptr, text,
                                   style | WS_CHILD | StateStyle(), {m_left, m_top}, m_controlId,
                                   self);
}

HWND CZABElement::CreateControl(const WCHAR* className, const WCHAR* text, DWORD style,
                                DWORD exStyle, bool withFont) {
    // The common controls' window classes exist only once they are asked for.
    static const BOOL commonControls = [] {
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_WIN95_CLASSES};
        return ::InitCommonControlsEx(&classes);
    }();
    (void)commonControls;
    HWND parent = m_parent ? m_parent->GetHostWindow() : nullptr;
    m_window = ::CreateWindowExW(exStyle, className, text, style | WS_CHILD | StateStyle(), m_left,
                                 m_top, m_width, m_height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_controlId)),
                                 nullptr, nullptr);
    if (m_window && withFont) {
        ::SendMessageW(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                       TRUE);
    }
    return m_window;
}

LRESULT CZABElement::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_window ? ::SendMessageW(m_window, message, wParam, lParam) : 0;
}
