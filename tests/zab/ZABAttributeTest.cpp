#include <gtest/gtest.h>
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABElement.h"
#include "zab/CZABEngine.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kDialog[] =
    L"\xFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\n"
    L"<!DOCTYPE dialog SYSTEM \"zablib.dtd\">\n"
    L"<dialog id=\"dlg\" caption=\"Caption &amp; more\" locid=\"prop-1\" width=\"42\"\n"
    L"        neg=\"-7\" padded=\" 12 \" word=\"abc\" empty=\"\" huge=\"99999999999\"\n"
    L"        mixed=\"12px\" title=\"\u00DCbersicht\">\n"
    L"  text before\n"
    L"  <!-- a comment -->\n"
    L"  <box orient=\"vertical\"><label value=\"Inner\" locid=\"prop-5\"/></box>\n"
    L"  <label value=\"Second\"/>\n"
    L"</dialog>\n";

// An element with a localisation id, as the element classes will read it.
class LocalisedElement : public CZABElement {
public:
    LocalisedElement(CZABEngine* engine, const WCHAR* locid) : CZABElement(nullptr, engine) {
        m_locid = ZABCopyText(locid);
    }
};

class Attributes : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        document = ZABLoadXmlText(kDialog);
        ASSERT_TRUE(document);
        dialog = CZABEngine::SelectNode(document.Get(), L"dialog");
        ASSERT_TRUE(dialog);
    }
    void TearDown() override {
        dialog.Reset();
        document.Reset();
        ComTest::TearDown();
    }
    ComPtr<IXMLDOMNode> FirstChildOfType(DOMNodeType wanted) {
        ComPtr<IXMLDOMNode> child;
        dialog->get_firstChild(&child);
        while (child) {
            DOMNodeType type;
            child->get_nodeType(&type);
            if (type == wanted) return child;
            ComPtr<IXMLDOMNode> next;
            child->get_nextSibling(&next);
            child = next;
        }
        return nullptr;
    }

    ComPtr<IXMLDOMDocument> document;
    ComPtr<IXMLDOMNode> dialog;
};

TEST_F(Attributes, StringsAreCopiesOrNone) {
    ZABText caption = CZABEngine::GetAttrString(dialog.Get(), L"caption");
    ASSERT_TRUE(caption);
    EXPECT_STREQ(L"Caption & more", caption.get());
    EXPECT_STREQ(L"\u00DCbersicht", CZABEngine::GetAttrString(dialog.Get(), L"title").get());
    ZABText empty = CZABEngine::GetAttrString(dialog.Get(), L"empty");
    ASSERT_TRUE(empty);
    EXPECT_STREQ(L"", empty.get());
    EXPECT_FALSE(CZABEngine::GetAttrString(dialog.Get(), L"missing"));
    // Attribute names are case-sensitive in XML.
    EXPECT_FALSE(CZABEngine::GetAttrString(dialog.Get(), L"Caption"));
    EXPECT_FALSE(CZABEngine::GetAttrString(dialog.Get(), nullptr));
    EXPECT_FALSE(CZABEngine::GetAttrString(nullptr, L"caption"));

    ComPtr<IXMLDOMNode> text = FirstChildOfType(NODE_TEXT);
    ComPtr<IXMLDOMNode> comment = FirstChildOfType(NODE_COMMENT);
    ASSERT_TRUE(text);
    ASSERT_TRUE(comment);
    EXPECT_FALSE(CZABEngine::GetAttrString(text.Get(), L"caption"));
    EXPECT_FALSE(CZABEngine::GetAttrString(comment.Get(), L"caption"));
    EXPECT_FALSE(CZABEngine::GetAttrString(document.Get(), L"caption"));
}

TEST_F(Attributes, IntegersAreDecimalOrTheDefault) {
    EXPECT_EQ(42, CZABEngine::GetAttrInt(dialog.Get(), L"width", 5));
    EXPECT_EQ(-7, CZABEngine::GetAttrInt(dialog.Get(), L"neg", 5));
    EXPECT_EQ(12, CZABEngine::GetAttrInt(dialog.Get(), L"padded", 5));
    EXPECT_EQ(5, CZABEngine::GetAttrInt(dialog.Get(), L"word", 5));
    EXPECT_EQ(5, CZABEngine::GetAttrInt(dialog.Get(), L"empty", 5));
    EXPECT_EQ(-1, CZABEngine::GetAttrInt(dialog.Get(), L"huge", -1));
    EXPECT_EQ(5, CZABEngine::GetAttrInt(dialog.Get(), L"mixed", 5));
    EXPECT_EQ(0, CZABEngine::GetAttrInt(dialog.Get(), L"missing", 0));
    EXPECT_EQ(9, CZABEngine::GetAttrInt(FirstChildOfType(NODE_COMMENT).Get(), L"width", 9));
    EXPECT_EQ(9, CZABEngine::GetAttrInt(nullptr, L"width", 9));
}

TEST_F(Attributes, LocalisedTextComesFromTheTableThroughTheLocid) {
    TempFolder folder;
    CZABEngine engine(::GetModuleHandleW(nullptr));
    std::string rows =
        "<strings>"
        "<string id=\"PROP-1\" attr=\"caption\" loc=\"Eigenschaften\"/>"
        "<string id=\"prop-1\" loc=\"plain key\"/>"
        "<string id=\"prop-1\" attr=\"tooltip\" loc=\"only in the table\"/>"
        "<string id=\"prop-1\" attr=\"width\"/>"
        "</strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"de.xml", rows).c_str()));

    LocalisedElement localised(&engine, L"prop-1");
    LocalisedElement other(&engine, L"prop-2");
    LocalisedElement none(&engine, nullptr);
    EXPECT_STREQ(L"Eigenschaften", engine.GetLocAttr(&localised, dialog.Get(), L"caption").get());
    EXPECT_STREQ(L"only in the table",
                 engine.GetLocAttr(&localised, dialog.Get(), L"tooltip").get());
    // A row without text leaves the document's value.
    EXPECT_STREQ(L"42", engine.GetLocAttr(&localised, dialog.Get(), L"width").get());
    EXPECT_STREQ(L"\u00DCbersicht", engine.GetLocAttr(&localised, dialog.Get(), L"title").get());
    EXPECT_STREQ(L"Caption & more", engine.GetLocAttr(&other, dialog.Get(), L"caption").get());
    EXPECT_STREQ(L"Caption & more", engine.GetLocAttr(&none, dialog.Get(), L"caption").get());
    EXPECT_STREQ(L"Caption & more", engine.GetLocAttr(nullptr, dialog.Get(), L"caption").get());
    EXPECT_FALSE(engine.GetLocAttr(&other, dialog.Get(), L"missing"));

    // The copy is the caller's: clearing the table leaves it intact.
    ZABText kept = engine.GetLocAttr(&localised, dialog.Get(), L"caption");
    engine.ClearStrings();
    EXPECT_STREQ(L"Eigenschaften", kept.get());
    EXPECT_STREQ(L"Caption & more", engine.GetLocAttr(&localised, dialog.Get(), L"caption").get());
}

TEST_F(Attributes, SelectNodeFindsTheFirstMatchOrNone) {
    ComPtr<IXMLDOMNode> label = CZABEngine::SelectNode(dialog.Get(), L"label");
    ASSERT_TRUE(label);
    EXPECT_STREQ(L"Second", CZABEngine::GetAttrString(label.Get(), L"value").get());
    ComPtr<IXMLDOMNode> inner = CZABEngine::SelectNode(dialog.Get(), L"box/label");
    ASSERT_TRUE(inner);
    EXPECT_STREQ(L"Inner", CZABEngine::GetAttrString(inner.Get(), L"value").get());
    ComPtr<IXMLDOMNode> deep = CZABEngine::SelectNode(document.Get(), L"//label");
    ASSERT_TRUE(deep);
    EXPECT_STREQ(L"prop-5", CZABEngine::GetAttrString(deep.Get(), L"locid").get());

    EXPECT_FALSE(CZABEngine::SelectNode(dialog.Get(), L"tabbox"));
    EXPECT_FALSE(CZABEngine::SelectNode(document.Get(), L"label"));
    EXPECT_FALSE(CZABEngine::SelectNode(document.Get(), L"Dialog"));
    EXPECT_FALSE(CZABEngine::SelectNode(dialog.Get(), nullptr));
    EXPECT_FALSE(CZABEngine::SelectNode(nullptr, L"dialog"));
}

class Documents : public ComTest {};

TEST_F(Documents, TextParsesWithOrWithoutByteOrderMark) {
    ComPtr<IXMLDOMDocument> marked = ZABLoadXmlText(kDialog);
    ComPtr<IXMLDOMDocument> plain = ZABLoadXmlText(kDialog + 1);
    ASSERT_TRUE(marked);
    ASSERT_TRUE(plain);
    for (IXMLDOMDocument* document : {marked.Get(), plain.Get()}) {
        ComPtr<IXMLDOMNode> label = CZABEngine::SelectNode(document, L"dialog/box/label");
        ASSERT_TRUE(label);
        EXPECT_STREQ(L"Inner", CZABEngine::GetAttrString(label.Get(), L"value").get());
    }
    EXPECT_FALSE(ZABLoadXmlText(L"<dialog><box></dialog>"));
    EXPECT_FALSE(ZABLoadXmlText(L""));
    EXPECT_FALSE(ZABLoadXmlText(L"\xFEFF"));
    EXPECT_FALSE(ZABLoadXmlText(nullptr));
}

TEST_F(Documents, FilesAreParsedFromDiskInEitherEncoding) {
    TempFolder folder;
    std::wstring utf16 = folder.WriteUtf16(L"dialog16.xml", kDialog + 1);
    std::string utf8Text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!DOCTYPE dialog SYSTEM \"zablib.dtd\">\n"
        "<dialog title=\"\xC3\x9C" "bersicht\"/>";
    std::wstring utf8 = folder.WriteUtf8(L"dialog8.xml", utf8Text);
    for (const std::wstring& path : {utf16, utf8}) {
        ComPtr<IXMLDOMDocument> document = ZABLoadXmlFile(path.c_str());
        ASSERT_TRUE(document);
        ComPtr<IXMLDOMNode> root = CZABEngine::SelectNode(document.Get(), L"dialog");
        ASSERT_TRUE(root);
        EXPECT_STREQ(L"\u00DCbersicht", CZABEngine::GetAttrString(root.Get(), L"title").get());
    }
    EXPECT_FALSE(ZABLoadXmlFile((folder.path() + L"\\absent.xml").c_str()));
    EXPECT_FALSE(ZABLoadXmlFile(folder.WriteUtf8(L"bad.xml", "<dialog>").c_str()));
    EXPECT_FALSE(ZABLoadXmlFile(nullptr));
}

}  // namespace
