#include "zab/ZABXml.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

// The free-threaded DOM document, {2933BF91-7B36-11D2-B20E-00C04F983E60}.
const CLSID kFreeThreadedDomDocument = {
    0x2933bf91, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

bool IsElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

// The first element among `node` and its following siblings.
ComPtr<IXMLDOMNode> ElementFrom(ComPtr<IXMLDOMNode> node) {
    while (node && !IsElement(node.Get())) {
        ComPtr<IXMLDOMNode> next;
        if (node->get_nextSibling(&next) != S_OK) return nullptr;
        node = next;
    }
    return node;
}

ComPtr<IXMLDOMNode> FirstElementChild(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> child;
    if (node->get_firstChild(&child) != S_OK) return nullptr;
    return ElementFrom(child);
}

ComPtr<IXMLDOMNode> NextElementSibling(IXMLDOMNode* node) {
    ComPtr<IXMLDOMNode> next;
    if (node->get_nextSibling(&next) != S_OK) return nullptr;
    return ElementFrom(next);
}

}  // namespace

ComPtr<IXMLDOMDocument> ZABCreateDocument() {
    ComPtr<IXMLDOMDocument> document;
    HRESULT hr = ::CoCreateInstance(kFreeThreadedDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&document));
    if (FAILED(hr)) return nullptr;
    // Without synchronous loading, load would return before the parse ends.
    if (FAILED(document->put_async(VARIANT_FALSE))) return nullptr;
    // Documents name a DTD that is never shipped; it must not be looked for.
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    return document;
}

ComPtr<IXMLDOMDocument> ZABLoadXmlFile(const WCHAR* path) {
    if (!path) return nullptr;
    ComPtr<IXMLDOMDocument> document = ZABCreateDocument();
    if (!document) return nullptr;
    mx::unique_bstr location(::SysAllocString(path));
    if (!location) return nullptr;
    VARIANT source;
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = location.get();
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = document->load(source, &ok);
    if (hr != S_OK || ok != VARIANT_TRUE) return nullptr;
    return document;
}

bool ZABReadFile(const WCHAR* path, size_t maxBytes, std::vector<BYTE>* bytes) {
    if (!path || !bytes) return false;
    mx::unique_file file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes)
        return false;
    // One byte more than allowed shows a file that grew after its size was taken.
    try {
        bytes->assign(static_cast<size_t>(size.QuadPart) + 1, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_t filled = 0;
    for (;;) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes->size() - filled, 1 << 20));
        if (!want || !::ReadFile(file.get(), bytes->data() + filled, want, &read, nullptr)) break;
        if (!read) break;
        filled += read;
    }
    if (filled > maxBytes || filled == bytes->size()) return false;
    bytes->resize(filled);
    return true;
}

bool ZABDeclaresDocumentType(const std::vector<BYTE>& bytes) {
    const std::string narrow = "<!DOCTYPE";
    std::string forms[3] = {narrow, "", ""};  // 8-bit, UTF-16LE, UTF-16BE
    for (char c : narrow) {
        forms[1] += {c, '\0'};
        forms[2] += {'\0', c};
    }
    for (const std::string& form : forms) {
        if (std::search(bytes.begin(), bytes.end(), form.begin(), form.end()) != bytes.end())
            return true;
    }
    return false;
}

ComPtr<IXMLDOMDocument> ZABLoadXmlBytes(const std::vector<BYTE>& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
    ComPtr<IXMLDOMDocument> document = ZABCreateDocument();
    if (!document) return nullptr;
    mx::unique_safearray array(::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size())));
    if (!array) return nullptr;
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array.get(), &data))) return nullptr;
    std::memcpy(data, bytes.data(), bytes.size());
    ::SafeArrayUnaccessData(array.get());
    VARIANT source;
    V_VT(&source) = VT_ARRAY | VT_UI1;
    V_ARRAY(&source) = array.get();
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = document->load(source, &ok);
    if (hr != S_OK || ok != VARIANT_TRUE) return nullptr;
    return document;
}

ComPtr<IXMLDOMDocument> ZABLoadXmlText(const WCHAR* text) {
    if (!text) return nullptr;
    if (text[0] == 0xFEFF) ++text;
    ComPtr<IXMLDOMDocument> document = ZABCreateDocument();
    if (!document) return nullptr;
    mx::unique_bstr xml(::SysAllocString(text));
    if (!xml) return nullptr;
    VARIANT_BOOL ok = VARIANT_FALSE;
    HRESULT hr = document->loadXML(xml.get(), &ok);
    if (hr != S_OK || ok != VARIANT_TRUE) return nullptr;
    return document;
}

ComPtr<IXMLDOMDocument> ZABLoadXmlResource(HINSTANCE instance, const WCHAR* name) {
    if (!name) return nullptr;
    HRSRC found = ::FindResourceW(instance, name, L"ZABLIB");
    if (!found) return nullptr;
    const DWORD size = ::SizeofResource(instance, found);
    HGLOBAL loaded = ::LoadResource(instance, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    // One unit more than the bytes fill holds the terminator; an odd last
    // byte is dropped with it.
    std::unique_ptr<WCHAR[]> text(new (std::nothrow) WCHAR[size / 2 + 1]);
    if (!text) return nullptr;
    std::memcpy(text.get(), bytes, size);
    text[size / 2] = L'\0';
    return ZABLoadXmlText(text.get());
}

bool ZABFitsLimits(IXMLDOMNode* root, int maxDepth, int maxElements) {
    if (!root) return false;
    ComPtr<IXMLDOMNode> node = root;
    int depth = 0;
    int elements = 0;
    for (;;) {
        if (++elements > maxElements) return false;
        if (ComPtr<IXMLDOMNode> child = FirstElementChild(node.Get())) {
            if (++depth > maxDepth) return false;
            node = child;
            continue;
        }
        // Node objects are not unique per node: the depth tells when the
        // walk is back at the root.
        for (;;) {
            if (depth == 0) return true;
            if (ComPtr<IXMLDOMNode> next = NextElementSibling(node.Get())) {
                node = next;
                break;
            }
            ComPtr<IXMLDOMNode> parent;
            if (node->get_parentNode(&parent) != S_OK) return false;
            node = parent;
            --depth;
        }
    }
}
