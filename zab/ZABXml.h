// The MSXML DOM as the dialog library uses it: documents are created from
// the free-threaded DOM class and loaded synchronously, without validation
// and without fetching anything the document refers to (its DTD).
#pragma once
#include <windows.h>
#include <msxml2.h>
#include <wrl/client.h>
#include <vector>
#include "base/Unique.h"

__CRT_UUID_DECL(IXMLDOMNode, 0x2933bf80, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMDocument, 0x2933bf81, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMElement, 0x2933bf86, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)

namespace mx {
using unique_bstr = unique_any<api_traits<BSTR, void, ::SysFreeString>>;
using unique_safearray = unique_any<api_traits<SAFEARRAY*, HRESULT, ::SafeArrayDestroy>>;

// A VARIANT that is cleared when it goes out of scope.
class unique_variant {
public:
    unique_variant() noexcept { ::VariantInit(&m_value); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;
    ~unique_variant() { ::VariantClear(&m_value); }
    VARIANT* get() noexcept { return &m_value; }
    // For APIs that fill in a VARIANT: the old value is cleared first.
    VARIANT* put() noexcept {
        ::VariantClear(&m_value);
        return &m_value;
    }
private:
    VARIANT m_value;
};
}  // namespace mx

// A new, configured DOM document; none if the DOM cannot be created.
Microsoft::WRL::ComPtr<IXMLDOMDocument> ZABCreateDocument();

// Parses the file (or URL) at `path`; none if it is missing or not XML.
Microsoft::WRL::ComPtr<IXMLDOMDocument> ZABLoadXmlFile(const WCHAR* path);

// The whole file at `path`, read through one handle; false when it cannot
// be read or holds more than `maxBytes`.
bool ZABReadFile(const WCHAR* path, size_t maxBytes, std::vector<BYTE>* bytes);

// Whether the document bytes declare a document type ("<!DOCTYPE"), in an
// 8-bit encoding or in UTF-16 of either byte order.
bool ZABDeclaresDocumentType(const std::vector<BYTE>& bytes);

// Parses document bytes in whatever encoding they declare or begin with,
// as a file would be parsed; none if they are not XML.
Microsoft::WRL::ComPtr<IXMLDOMDocument> ZABLoadXmlBytes(const std::vector<BYTE>& bytes);

// Parses UTF-16 text held in memory; a leading byte-order mark is skipped.
// None if the text is not XML.
Microsoft::WRL::ComPtr<IXMLDOMDocument> ZABLoadXmlText(const WCHAR* text);

// Parses the resource of type "ZABLIB" called `name` in `instance`: UTF-16
// text, with or without a byte-order mark. None if it is missing or not XML.
Microsoft::WRL::ComPtr<IXMLDOMDocument> ZABLoadXmlResource(HINSTANCE instance, const WCHAR* name);

// Whether the elements under `root` nest at most `maxDepth` levels below it
// and number at most `maxElements` with it. Walks without recursion.
bool ZABFitsLimits(IXMLDOMNode* root, int maxDepth, int maxElements);
