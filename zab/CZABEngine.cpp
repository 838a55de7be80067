#include "zab/CZABEngine.h"

#include <new>
#include "zab/CZABElement.h"

using Microsoft::WRL::ComPtr;

namespace {

using ElementMaker = CZABElement* (*)(CZABElement* parent, CZABEngine* engine);

struct ElementKind {
    const WCHAR* name;
    ElementMaker make;
};

// Element names in the order they are matched. Each element class puts its
// maker into its row when it is added; a row without a maker creates
// nothing, exactly like a name that is not listed.
const ElementKind kElementKinds[] = {
    {L"window", nullptr},       {L"dialog", nullptr},        {L"textbox", nullptr},
    {L"box", nullptr},          {L"button", nullptr},        {L"groupbox", nullptr},
    {L"label", nullptr},        {L"checkbox", nullptr},      {L"radio", nullptr},
    {L"combobox", nullptr},     {L"menupopup", nullptr},     {L"menuitem", nullptr},
    {L"radiogroup", nullptr},   {L"spin", nullptr},          {L"tabbox", nullptr},
    {L"tabpanel", nullptr},     {L"vbox", nullptr},          {L"hbox", nullptr},
    {L"spacer", nullptr},       {L"menubar", nullptr},       {L"listitem", nullptr},
    {L"menuseparator", nullptr}, {L"tabswitcher", nullptr},  {L"tab", nullptr},
    {L"color", nullptr},        {L"slider", nullptr},        {L"hotkey", nullptr},
    {L"picture", nullptr},      {L"listbox", nullptr},       {L"line", nullptr},
    {L"url", nullptr},          {L"list", nullptr},          {L"selectfile", nullptr},
    {L"ext", nullptr},          {L"listcol", nullptr},       {L"checkslist", nullptr},
    {L"checkitem", nullptr},    {L"freedraw", nullptr},
};

// Ordinal comparison: ids and attribute names are keys, not words, so the
// user's locale must not change what matches.
bool SameText(const WCHAR* a, const WCHAR* b) {
    return a && b && ::CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool AttrMatches(const WCHAR* rowAttr, const WCHAR* attr) {
    return rowAttr ? SameText(rowAttr, attr) : attr == nullptr;
}

bool IsStringElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    if (FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT) return false;
    mx::unique_bstr name;
    if (FAILED(node->get_nodeName(name.put())) || !name) return false;
    return ::lstrcmpW(name.get(), L"string") == 0;
}

ComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> next;
    if (node->get_nextSibling(&next) != S_OK) return nullptr;
    return next;
}

// The attribute's value as a variant of type `type`; false when it is
// missing or does not convert. Conversions use the invariant locale so
// that a document reads the same for every user.
bool ReadAttr(IXMLDOMNode* node, const WCHAR* name, VARTYPE type, mx::unique_variant& value) {
    if (!node || !name) return false;
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(IID_PPV_ARGS(&element)))) return false;
    mx::unique_bstr attrName(::SysAllocString(name));
    if (!attrName) return false;
    if (element->getAttribute(attrName.get(), value.put()) != S_OK) return false;
    return SUCCEEDED(::VariantChangeTypeEx(value.get(), value.get(), LOCALE_INVARIANT, 0, type));
}

}  // namespace

CZABEngine::CZABEngine(HINSTANCE instance) : m_instance(instance) {}

CZABEngine::~CZABEngine() = default;

CZABElement* CZABEngine::CreateElement(const WCHAR* name, CZABElement* parent) {
    for (const ElementKind& kind : kElementKinds) {
        if (SameText(kind.name, name)) return kind.make ? kind.make(parent, this) : nullptr;
    }
    return nullptr;
}

BOOL CZABEngine::DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) {
    return FALSE;
}

HINSTANCE CZABEngine::GetInstance() const {
    return m_instance;
}

BOOL CZABEngine::LoadStrings(const WCHAR* path) {
    ComPtr<IXMLDOMDocument> document = ZABLoadXmlFile(path);
    if (!document) return FALSE;
    ComPtr<IXMLDOMNode> strings = SelectNode(document.Get(), L"strings");
    if (!strings) return FALSE;
    for (ComPtr<IXMLDOMNode> row = SelectNode(strings.Get(), L"string"); row;
         row = NextSibling(row.Get())) {
        AddRow(row.Get());
    }
    return TRUE;
}

// Comments and foreign elements among the rows are passed over, and so is
// a row without an id: no look-up could ever find it.
void CZABEngine::AddRow(IXMLDOMNode* row) {
    if (!IsStringElement(row)) return;
    ZABLocString entry{GetAttrString(row, L"id"), GetAttrString(row, L"attr"),
                       GetAttrString(row, L"loc")};
    if (!entry.id) return;
    try {
        m_strings.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        // Out of memory: the table keeps the rows read so far.
    }
}

void CZABEngine::ClearStrings() {
    m_strings.clear();
}

int CZABEngine::GetStringCount() const {
    return static_cast<int>(m_strings.size());
}

const WCHAR* CZABEngine::FindString(const WCHAR* id, const WCHAR* attr) const {
    for (const ZABLocString& row : m_strings) {
        if (SameText(row.id.get(), id) && AttrMatches(row.attr.get(), attr)) return row.loc.get();
    }
    return nullptr;
}

const WCHAR* CZABEngine::GetString(const WCHAR* id, const WCHAR* attr,
                                   const WCHAR* fallback) const {
    const WCHAR* text = FindString(id, attr);
    return text ? text : fallback;
}

ZABText CZABEngine::GetAttrString(IXMLDOMNode* node, const WCHAR* name) {
    mx::unique_variant value;
    if (!ReadAttr(node, name, VT_BSTR, value)) return nullptr;
    BSTR text = V_BSTR(value.get());
    return text ? ZABCopyText(text, ::SysStringLen(text)) : ZABCopyText(L"");
}

int CZABEngine::GetAttrInt(IXMLDOMNode* node, const WCHAR* name, int fallback) {
    mx::unique_variant value;
    if (!ReadAttr(node, name, VT_I4, value)) return fallback;
    return V_I4(value.get());
}

ZABText CZABEngine::GetLocAttr(const CZABElement* element, IXMLDOMNode* node,
                               const WCHAR* name) const {
    const WCHAR* locid = element ? element->GetLocId() : nullptr;
    if (const WCHAR* text = locid ? FindString(locid, name) : nullptr) return ZABCopyText(text);
    return GetAttrString(node, name);
}

ComPtr<IXMLDOMNode> CZABEngine::SelectNode(IXMLDOMNode* node, const WCHAR* name) {
    if (!node || !name) return nullptr;
    mx::unique_bstr query(::SysAllocString(name));
    if (!query) return nullptr;
    ComPtr<IXMLDOMNode> found;
    if (node->selectSingleNode(query.get(), &found) != S_OK) return nullptr;
    return found;
}
