#include "zab/CZABEngine.h"


using Microsoft::WRL::ComPtr;

namespace {

bool AttrMatches(const WCHAR* rowAttr, const WCHAR* attr) {
    return rowAttr ? ZABSameText(rowAttr, attr) : attr == nullptr;
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

BOOL CZABEngine::DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) {
    return FALSE;
}

HINSTANCE CZABEngine::GetInstance() const {
    return m_instance;
}

// Language documents lie beside the bar, where anyone who may write there
// can change them: a document too large, or one with a document type (it
// needs none, and its entities could grow without end), is not parsed at
// all, and the table never grows beyond a bound. It is parsed from the bytes
// checked, not from the file again.
BOOL CZABEngine::LoadStrings(const WCHAR* path) {
    std::vector<BYTE> bytes;
    if (!ZABReadFile(path, kMaxLanguageBytes, &bytes) || ZABDeclaresDocumentType(bytes))
        return FALSE;
    ComPtr<IXMLDOMDocument> document = ZABLoadXmlBytes(bytes);
    if (!document) return FALSE;
    ComPtr<IXMLDOMDocumentType> type;
    if (document->get_doctype(&type) == S_OK && type) return FALSE;
    ComPtr<IXMLDOMNode> strings = SelectNode(document.Get(), L"strings");
    if (!strings) return FALSE;
    for (ComPtr<IXMLDOMNode> row = SelectNode(strings.Get(), L"string");
         row && m_strings.size() < kMaxStrings; row = NextSibling(row.Get())) {
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
        if (ZABSameText(row.id.get(), id) && AttrMatches(row.attr.get(), attr)) return row.loc.get();
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

BOOL CZABEngine::GetAttrBool(IXMLDOMNode* node, const WCHAR* name, BOOL fallback) {
    ZABText value = GetAttrString(node, name);
    if (!value) return fallback;
    if (fallback) return ZABSameText(value.get(), L"false") ? FALSE : TRUE;
    return ZABSameText(value.get(), L"true") ? TRUE : FALSE;
}

int CZABEngine::GetAttrEnum(IXMLDOMNode* node, const WCHAR* name,
                            std::initializer_list<const WCHAR*> words, int fallback) {
    ZABText value = GetAttrString(node, name);
    int position = 0;
    for (const WCHAR* word : words) {
        if (ZABSameText(value.get(), word)) return position;
        ++position;
    }
    return fallback;
}

ComPtr<IXMLDOMNode> CZABEngine::SelectNode(IXMLDOMNode* node, const WCHAR* name) {
    if (!node || !name) return nullptr;
    mx::unique_bstr query(::SysAllocString(name));
    if (!query) return nullptr;
    ComPtr<IXMLDOMNode> found;
    if (node->selectSingleNode(query.get(), &found) != S_OK) return nullptr;
    return found;
}
