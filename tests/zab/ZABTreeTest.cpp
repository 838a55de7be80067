// Element trees built from documents: the factory, the attribute rules,
// searches, inherited flags, localised texts, and documents that must be
// refused or must not reach outside themselves.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include "tests/zab/CProbeElement.h"
#include "tests/zab/CProbeEngine.h"
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABDialog.h"
#include "zab/CZABTabPanel.h"

namespace {

// Every element name in the factory's order.
const wchar_t* const kNames[] = {
    L"window",     L"dialog",        L"textbox",     L"box",        L"button",
    L"groupbox",   L"label",         L"checkbox",    L"radio",      L"combobox",
    L"menupopup",  L"menuitem",      L"radiogroup",  L"spin",       L"tabbox",
    L"tabpanel",   L"vbox",          L"hbox",        L"spacer",     L"menubar",
    L"listitem",   L"menuseparator", L"tabswitcher", L"tab",        L"color",
    L"slider",     L"hotkey",        L"picture",     L"listbox",    L"line",
    L"url",        L"list",          L"selectfile",  L"ext",        L"listcol",
    L"checkslist", L"checkitem",     L"freedraw",
};

// The type name an element answers to; "?" for none, "-" for the empty one.
std::wstring TypeOf(CZABElement* element) {
    for (const wchar_t* name : kNames) {
        if (element->QueryElement(name, nullptr)) return name;
    }
    return element->QueryElement(L"", nullptr) ? L"-" : L"?";
}

// The tree as text: type names with their children in brackets.
std::wstring Shape(CZABElement* element) {
    std::wstring text = TypeOf(element);
    if (element->GetChildCount() == 0) return text;
    text += L"(";
    for (int i = 0; i < element->GetChildCount(); ++i) {
        if (i) text += L" ";
        text += Shape(element->GetChild(i));
    }
    return text + L")";
}

std::wstring Nested(int depth) {
    std::wstring text = L"<dialog>";
    for (int i = 0; i < depth; ++i) text += L"<box>";
    text += L"<spacer id='deepest'/>";
    for (int i = 0; i < depth; ++i) text += L"</box>";
    return text + L"</dialog>";
}

std::wstring Flat(int count) {
    std::wstring text = L"<dialog>";
    for (int i = 0; i < count; ++i) text += L"<spacer/>";
    return text + L"</dialog>";
}

class Tree : public ComTest {
protected:
    // A dialog element loaded from `text` saved as a file.
    std::unique_ptr<CZABDialog> Load(const std::wstring& text, BOOL* loaded = nullptr) {
        auto dialog = std::make_unique<CZABDialog>(nullptr, &engine);
        std::wstring path = folder.WriteUtf16(L"doc" + std::to_wstring(++m_files) + L".xml", text);
        BOOL ok = dialog->LoadDocument(path.c_str(), L"dialog", ::GetModuleHandleW(nullptr));
        if (loaded) *loaded = ok;
        return dialog;
    }

    CProbeEngine engine{::GetModuleHandleW(nullptr)};
    TempFolder folder;

private:
    int m_files = 0;
};

TEST_F(Tree, FactoryMakesEveryNamedElementInAnyCaseAndNothingElse) {
    for (const wchar_t* name : kNames) {
        std::wstring upper(name);
        for (wchar_t& c : upper) c = static_cast<wchar_t>(::towupper(c));
        std::unique_ptr<CZABElement> element(engine.CreateElement(upper.c_str(), nullptr));
        ASSERT_TRUE(element) << upper;
        const std::wstring own = name;
        const std::wstring expected = own == L"window" ? L"-"
                                      : (own == L"vbox" || own == L"hbox") ? L"box" : own;
        EXPECT_EQ(expected, TypeOf(element.get())) << name;
        CZABElement* out = element.get();
        EXPECT_FALSE(element->QueryElement(L"nothing", &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(own == L"box" || own == L"vbox" || own == L"hbox" ? 3 : 0, element->GetKind());
    }
    for (const wchar_t* name : {L"boxes", L"#text", L"#comment", L"", L"v box"}) {
        EXPECT_EQ(nullptr, engine.CreateElement(name, nullptr)) << name;
    }
    EXPECT_EQ(nullptr, engine.CreateElement(nullptr, nullptr));
}

TEST_F(Tree, AttributesFollowTheValueRulesAndTheTreeKeepsDocumentOrder) {
    TempFolder rows;
    std::string table =
        "<strings>"
        "<string id='lbl' attr='value' loc='&#xDC;bersetzt'/>"
        "<string id='probe-1' attr='label' loc='Translated'/>"
        "<string id='probe-1' loc='plain key'/>"
        "<string id='panel-1' attr='label' loc='Not for tabs'/>"
        "</strings>";
    ASSERT_TRUE(engine.LoadStrings(rows.WriteUtf8(L"rows.xml", table).c_str()));
    BOOL loaded = FALSE;
    auto root = Load(
        L"<?xml version='1.0' encoding='utf-16'?>\n<!DOCTYPE dialog SYSTEM 'zablib.dtd'>\n"
        L"<dialog id='root'>\n  <!-- a comment first -->\n"
        L"  <vbox id='V' orient='horizontal'>\n"
        L"    <label id='first' value='Label text' locid='lbl'/>\n    <!-- between -->\n"
        L"    <unknown id='skipped'><label id='inside-unknown'/></unknown>\n"
        L"    <hbox id='H' orient='vertical'/> <box id='b' orient='Vertical'/>\n"
        L"    <box id='b2' orient='diagonal'/>\n  </vbox>\n  some text\n"
        L"  <box id='hider' hidden='TRUE' disabled='true'>\n"
        L"    <probe id='shown?' hidden='false' disabled='no'/><box id='Dup'/>\n  </box>\n"
        L"  <box id='dup'/>\n"
        L"  <probe id='plain' label='Document text'/>\n"
        L"  <probe id='localised' label='Document text' locid='probe-1'/>\n"
        L"  <tabpanel id='panel' label='Tab text' locid='panel-1'/>\n"
        L"</dialog>\n",
        &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(L"dialog(box(label box box box) box(- box) box - - tabpanel)", Shape(root.get()));
    EXPECT_STREQ(L"V", root->GetChild(0)->GetId());
    EXPECT_STREQ(L"first", root->GetChild(0)->GetChild(0)->GetId());
    EXPECT_STREQ(L"H", root->GetChild(0)->GetChild(1)->GetId());
    EXPECT_EQ(nullptr, root->FindById(L"skipped"));
    EXPECT_EQ(nullptr, root->FindById(L"inside-unknown"));

    // Forced and read orientations; "box" answers for all three names.
    EXPECT_EQ(1, root->FindById(L"v")->GetOrientation());
    EXPECT_EQ(0, root->FindById(L"h")->GetOrientation());
    EXPECT_EQ(1, root->FindById(L"b")->GetOrientation());
    EXPECT_EQ(0, root->FindById(L"b2")->GetOrientation());
    CZABElement* found = nullptr;
    EXPECT_TRUE(root->FindById(L"V")->QueryElement(L"BOX", &found));
    EXPECT_EQ(root->FindById(L"V"), found);
    EXPECT_FALSE(root->FindById(L"V")->QueryElement(L"vbox", &found));

    // "false" and unknown words inherit; the flags reach every descendant.
    CZABElement* inner = root->FindById(L"shown?");
    EXPECT_TRUE(inner->IsHidden());
    EXPECT_TRUE(inner->IsDisabled());
    EXPECT_FALSE(root->FindById(L"plain")->IsHidden());
    root->FindById(L"hider")->SetHidden(FALSE);
    EXPECT_FALSE(inner->IsHidden());
    EXPECT_TRUE(inner->IsDisabled());

    // Ids match without case, the first in document order winning.
    EXPECT_EQ(root->FindById(L"hider"), root->FindById(L"DUP")->GetParent());
    EXPECT_EQ(root.get(), root->FindById(L"ROOT"));
    EXPECT_EQ(root.get(), inner->GetRoot());
    EXPECT_EQ(nullptr, root->FindById(nullptr));
    EXPECT_EQ(nullptr, root->FindByWindow(nullptr));

    // Localised texts by locid; an element without one keeps its text.
    EXPECT_STREQ(L"\u00DCbersetzt", root->FindById(L"first")->GetText());
    EXPECT_STREQ(L"Document text",
                 static_cast<CProbeElement*>(root->FindById(L"plain"))->GetLabel());
    EXPECT_STREQ(L"Translated",
                 static_cast<CProbeElement*>(root->FindById(L"localised"))->GetLabel());
    EXPECT_STREQ(L"none", root->FindById(L"V")->GetTextOr(L"none"));
    EXPECT_STREQ(L"\u00DCbersetzt", root->FindById(L"first")->GetTextOr(L"none"));

    // A tab panel is no dialog, and its tab's text is not localised.
    auto* panel = static_cast<CZABTabPanel*>(root->FindById(L"panel"));
    EXPECT_FALSE(panel->QueryElement(L"dialog", &found));
    EXPECT_TRUE(panel->QueryElement(L"TabPanel", &found));
    EXPECT_STREQ(L"Tab text", panel->GetLabel());
    EXPECT_TRUE(root->QueryElement(L"Dialog", &found));
}

TEST_F(Tree, DocumentsThatCannotBeBuiltAreRefusedQuietly) {
    BOOL loaded = TRUE;
    auto dialog = Load(Nested(60), &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(dialog->FindById(L"deepest"));
    for (int depth : {150, 5000}) {
        dialog = Load(Nested(depth), &loaded);
        EXPECT_FALSE(loaded) << depth;
        EXPECT_EQ(0, dialog->GetChildCount()) << depth;
    }
    dialog = Load(Flat(4000), &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(4000, dialog->GetChildCount());
    dialog = Load(Flat(30000), &loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(0, dialog->GetChildCount());

    // Entities that would expand to a billion spacers.
    std::wstring laughs = L"<!DOCTYPE dialog [\n<!ENTITY l0 '<spacer/>'>\n";
    for (int i = 1; i <= 9; ++i) {
        std::wstring previous = L"&l" + std::to_wstring(i - 1) + L";";
        std::wstring ten;
        for (int j = 0; j < 10; ++j) ten += previous;
        laughs += L"<!ENTITY l" + std::to_wstring(i) + L" '" + ten + L"'>\n";
    }
    dialog = Load(laughs + L"]>\n<dialog><box>&l9;</box></dialog>", &loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(0, dialog->GetChildCount());

    for (const wchar_t* text : {L"<box><spacer/></box>", L"<dialog><box></dialog>", L"", L"plain"}) {
        dialog = Load(text, &loaded);
        EXPECT_FALSE(loaded) << text;
    }
    dialog = std::make_unique<CZABDialog>(nullptr, &engine);
    EXPECT_FALSE(dialog->LoadDocument((folder.path() + L"\\absent.xml").c_str(), L"dialog", nullptr));
    EXPECT_FALSE(dialog->LoadDocument(nullptr, L"dialog", nullptr));
    EXPECT_FALSE(dialog->LoadDocument(L"res:NOT-THERE.XML", L"dialog", ::GetModuleHandleW(nullptr)));

    // Without COM on the thread there is no DOM: nothing loads, nothing breaks.
    std::wstring good = folder.WriteUtf16(L"good.xml", L"<dialog><spacer/></dialog>");
    BOOL withoutCom = TRUE;
    BOOL strings = TRUE;
    std::thread([&] {
        CZABDialog other(nullptr, &engine);
        withoutCom = other.LoadDocument(good.c_str(), L"dialog", nullptr);
        strings = engine.LoadStrings(good.c_str());
    }).join();
    EXPECT_FALSE(withoutCom);
    EXPECT_FALSE(strings);
}

TEST_F(Tree, ExternalDtdsAndEntitiesAreNeverFetched) {
    // Were the DTD read, its default would give every spacer an id.
    std::string dtd = "<!ATTLIST spacer id CDATA \"from-the-dtd\">";
    folder.WriteUtf8(L"present.dtd", dtd);
    folder.WriteUtf8(L"entity.txt", "<spacer id='from-the-entity'/>");
    const std::wstring base = folder.path() + L"\\";
    BOOL loaded = FALSE;
    auto dialog = Load(L"<!DOCTYPE dialog SYSTEM '" + base + L"present.dtd' [\n"
                       L"  <!ENTITY outside SYSTEM '" + base + L"entity.txt'>\n]>\n"
                       L"<dialog><spacer/><box>&outside;</box></dialog>",
                       &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(L"dialog(spacer box)", Shape(dialog.get()));
    EXPECT_EQ(nullptr, dialog->GetChild(0)->GetId());
    EXPECT_EQ(nullptr, dialog->FindById(L"from-the-entity"));

    dialog = Load(L"<!DOCTYPE dialog SYSTEM 'missing.dtd' [\n"
                  L"  <!ENTITY gone SYSTEM 'missing-entity.txt'>\n]>\n"
                  L"<dialog><spacer id='here'/><box>&gone;</box></dialog>",
                  &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(dialog->FindById(L"here"));
}

TEST_F(Tree, ResourceDocumentsReadWithOrWithoutByteOrderMark) {
    for (const wchar_t* url : {L"res:WITH-BOM.XML", L"res:with-bom.xml", L"res:no-bom.xml"}) {
        CZABDialog dialog(nullptr, &engine);
        ASSERT_TRUE(dialog.LoadDocument(url, L"dialog", ::GetModuleHandleW(nullptr))) << url;
        EXPECT_EQ(L"dialog(box(label))", Shape(&dialog)) << url;
        EXPECT_STREQ(L"From a resource \u00DC", dialog.FindById(L"text")->GetText()) << url;
    }
    // Only "res:" in that case names a resource; anything else is a path.
    CZABDialog dialog(nullptr, &engine);
    EXPECT_FALSE(dialog.LoadDocument(L"RES:with-bom.xml", L"dialog", ::GetModuleHandleW(nullptr)));
}

// The library's own documents, read from the library as the plug-in reads them.
class BuiltInDocuments : public Tree {
protected:
    void SetUp() override {
        Tree::SetUp();
        wchar_t dir[MAX_PATH] = {};
        ASSERT_TRUE(::GetEnvironmentVariableW(L"MX_BINARY_DIR", dir, MAX_PATH));
        std::wstring path = std::wstring(dir) + L"\\mirabex.dll";
        library.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(library) << "no library at MX_BINARY_DIR";
    }
    std::wstring RawText(const wchar_t* name) {
        HINSTANCE module = library.get();
        HRSRC found = ::FindResourceW(module, name, L"ZABLIB");
        if (!found) return L"";
        auto* bytes = static_cast<const wchar_t*>(::LockResource(::LoadResource(module, found)));
        return std::wstring(bytes, ::SizeofResource(module, found) / sizeof(wchar_t));
    }
    mx::unique_hmodule library;
};

TEST_F(BuiltInDocuments, PropertiesAndSaveHoldTheirTrees) {
    const std::wstring head =
        L"\xFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<!DOCTYPE dialog SYSTEM \"zablib.dtd\">";
    for (const wchar_t* name : {L"PROPERTIES.XML", L"SAVE.XML"}) {
        EXPECT_EQ(head, RawText(name).substr(0, head.size())) << name;
    }
    std::string table = "<strings><string id='prop-E' attr='value' loc='Version X'/></strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"rows.xml", table).c_str()));

    CZABDialog properties(nullptr, &engine);
    ASSERT_TRUE(properties.LoadDocument(L"res:properties.xml", L"dialog", library.get()));
    EXPECT_EQ(L"dialog(tabswitcher(tab(groupbox(label hotkey label hotkey label hotkey) "
              L"box(label box(textbox(spin)) label box(textbox(spin)) spacer checkbox spacer checkbox spacer "
              L"checkbox)) "
              L"tab(picture box(box(label label) url url))) line box(spacer button button))",
              Shape(&properties));
    EXPECT_STREQ(L"dlg-properties", properties.GetId());
    EXPECT_EQ(1, properties.GetOrientation());
    for (const wchar_t* id : {L"hk-open", L"hk-swap", L"queue-size", L"menu-entries", L"ask-del-one",
                              L"ask-del-all", L"allow-drag", L"version"}) {
        EXPECT_TRUE(properties.FindById(id)) << id;
    }
    EXPECT_TRUE(properties.FindById(L"queue-size")->QueryElement(L"textbox", nullptr));
    EXPECT_TRUE(properties.FindById(L"menu-entries")->QueryElement(L"textbox", nullptr));
    EXPECT_STREQ(L"Version X", properties.FindById(L"version")->GetText());

    CZABDialog save(nullptr, &engine);
    ASSERT_TRUE(save.LoadDocument(L"res:SAVE.XML", L"dialog", library.get()));
    EXPECT_EQ(L"dialog(box(label combobox spacer label textbox button(selectfile)) line "
              L"box(spacer button button))",
              Shape(&save));
    EXPECT_TRUE(save.FindById(L"format")->QueryElement(L"combobox", nullptr));
    EXPECT_TRUE(save.FindById(L"filename")->QueryElement(L"textbox", nullptr));
    EXPECT_TRUE(save.FindById(L"save")->QueryElement(L"selectfile", nullptr));
}

}  // namespace
