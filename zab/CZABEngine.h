// The dialog library's engine: the element factory, the reading of XML
// attributes, the localisation string table and the image hook.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <vector>
#include "zab/ZABText.h"
#include "zab/ZABXml.h"

class CZABElement;

// One row of a language document. Each field may be absent.
struct ZABLocString {
    ZABText id;    // matches an element's "locid", or a key the plug-in asks for
    ZABText attr;  // the attribute the row replaces; absent for plain keys
    ZABText loc;   // the replacement text
};

class CZABEngine {
public:
    explicit CZABEngine(HINSTANCE instance);
    virtual ~CZABEngine();
    // Makes the element class for an XML element name (any case); none for
    // a name the library does not know. Defined with the table of element
    // kinds (CZABEngineElements.cpp).
    virtual CZABElement* CreateElement(const WCHAR* name, CZABElement* parent);
    // Draws the image called `name` scaled into (x, y, cx, cy); returns
    // whether anything was drawn. The engine itself knows no images.
    virtual BOOL DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name);

    CZABEngine(const CZABEngine&) = delete;
    CZABEngine& operator=(const CZABEngine&) = delete;

    HINSTANCE GetInstance() const;

    // The largest language document read, and the most rows the table holds.
    static constexpr size_t kMaxLanguageBytes = 4 << 20;
    static constexpr size_t kMaxStrings = 10000;

    // Appends the rows of the language document at `path`; returns whether
    // the document was read. Rows without an id are skipped, and so are the
    // rows beyond the table's bound. A document above the size bound, or
    // one that declares a document type, is refused and adds nothing.
    BOOL LoadStrings(const WCHAR* path);
    void ClearStrings();
    int GetStringCount() const;
    // The text of the first row for `id` and `attr` (both compared without
    // regard to case; an absent `attr` matches only rows without one), or
    // none. The text stays owned by the table until it is cleared.
    const WCHAR* FindString(const WCHAR* id, const WCHAR* attr) const;
    // FindString, or `fallback` when there is no row or the row has no text.
    const WCHAR* GetString(const WCHAR* id, const WCHAR* attr, const WCHAR* fallback) const;

    // Attribute `name` of an element node as a new string; none when the
    // node is not an element or has no such attribute.
    static ZABText GetAttrString(IXMLDOMNode* node, const WCHAR* name);
    // Attribute `name` as a decimal integer, or `fallback`.
    static int GetAttrInt(IXMLDOMNode* node, const WCHAR* name, int fallback);
    // A flag that is off by default is on only for "true"; one that is on by
    // default is off only for "false" (any case). Missing: `fallback`.
    static BOOL GetAttrBool(IXMLDOMNode* node, const WCHAR* name, BOOL fallback);
    // The position of the attribute's word in `words` (any case); `fallback`
    // when it is missing or not one of them.
    static int GetAttrEnum(IXMLDOMNode* node, const WCHAR* name,
                           std::initializer_list<const WCHAR*> words, int fallback);
    // The string table's text for the element's locid and `name`, else the
    // attribute itself; a new string either way.
    ZABText GetLocAttr(const CZABElement* element, IXMLDOMNode* node, const WCHAR* name) const;
    // The first node the XPath expression `name` selects relative to `node`.
    static Microsoft::WRL::ComPtr<IXMLDOMNode> SelectNode(IXMLDOMNode* node, const WCHAR* name);

private:
    void AddRow(IXMLDOMNode* row);

    HINSTANCE m_instance;
    std::vector<ZABLocString> m_strings;
};
