#include "zab/ZABXml.h"

using Microsoft::WRL::ComPtr;

namespace {

// The free-threaded DOM document, {2933BF91-7B36-11D2-B20E-00C04F983E60}.
const CLSID kFreeThreadedDomDocument = {
    0x2933bf91, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};


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
