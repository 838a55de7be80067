#include <gtest/gtest.h>
#include <string>
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABEngine.h"

namespace {

const char kRows[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<strings>\n"
    "  <string id=\"prop-3\" attr=\"label\" loc=\"Optionen\"/>\n"
    "  <string id=\"prop-3\" attr=\"caption\" loc=\"Mirabex-Optionen\"/>\n"
    "  <string id=\"menu-pause\" loc=\"Anhalten\"/>\n"
    "  <string id=\"MENU-PAUSE\" loc=\"second\"/>\n"
    "  <string id=\"prop-4\" attr=\"LABEL\" loc=\"Tastenk\xC3\xBCrzel\"/>\n"
    "  <string id=\"no-text\"/>\n"
    "  <string id=\"no-text\" loc=\"shadowed\"/>\n"
    "</strings>\n";

class StringTable : public ComTest {
protected:
    CZABEngine engine{::GetModuleHandleW(nullptr)};
    TempFolder folder;
};

TEST_F(StringTable, MatchesIdsWithoutCaseAndAttributesByPresence) {
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"rows.xml", kRows).c_str()));
    EXPECT_EQ(7, engine.GetStringCount());

    EXPECT_STREQ(L"Optionen", engine.FindString(L"prop-3", L"label"));
    EXPECT_STREQ(L"Optionen", engine.FindString(L"PROP-3", L"Label"));
    EXPECT_STREQ(L"Mirabex-Optionen", engine.FindString(L"prop-3", L"caption"));
    EXPECT_STREQ(L"Tastenk\u00FCrzel", engine.FindString(L"Prop-4", L"label"));
    // A row with an attribute never serves a plain key, and the other way round.
    EXPECT_EQ(nullptr, engine.FindString(L"prop-3", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(L"menu-pause", L"label"));
    EXPECT_EQ(nullptr, engine.FindString(L"prop-3", L"value"));
    EXPECT_EQ(nullptr, engine.FindString(L"prop-33", L"label"));
    EXPECT_EQ(nullptr, engine.FindString(nullptr, nullptr));
    // The first row read wins, whatever the case of the later one.
    EXPECT_STREQ(L"Anhalten", engine.FindString(L"Menu-Pause", nullptr));
}

TEST_F(StringTable, GetStringFallsBackWhenNoRowOrNoText) {
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"rows.xml", kRows).c_str()));
    EXPECT_STREQ(L"Anhalten", engine.GetString(L"menu-pause", nullptr, L"Pause"));
    EXPECT_STREQ(L"Pause", engine.GetString(L"menu-paused", nullptr, L"Pause"));
    EXPECT_STREQ(L"Capture", engine.GetString(L"prop-3", nullptr, L"Capture"));
    // The first row for the key has no text: the caller's text, not a later row's.
    EXPECT_EQ(nullptr, engine.FindString(L"no-text", nullptr));
    EXPECT_STREQ(L"Default", engine.GetString(L"no-text", nullptr, L"Default"));
    // The table's text stays valid while more rows are appended.
    const WCHAR* text = engine.FindString(L"prop-3", L"label");
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"more.xml", kRows).c_str()));
    EXPECT_STREQ(L"Optionen", text);
    EXPECT_EQ(7 * 51, engine.GetStringCount());
}

TEST_F(StringTable, ClearEmptiesAndAllowsANewLanguage) {
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"rows.xml", kRows).c_str()));
    engine.ClearStrings();
    EXPECT_EQ(0, engine.GetStringCount());
    EXPECT_EQ(nullptr, engine.FindString(L"menu-pause", nullptr));
    EXPECT_STREQ(L"Pause", engine.GetString(L"menu-pause", nullptr, L"Pause"));
    std::string other = "<strings><string id=\"menu-pause\" loc=\"Suspendre\"/></strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"fr.xml", other).c_str()));
    EXPECT_STREQ(L"Suspendre", engine.FindString(L"menu-pause", nullptr));
    EXPECT_EQ(1, engine.GetStringCount());
}

TEST_F(StringTable, UnreadableDocumentsAddNothingAndKeepTheTable) {
    std::string one = "<strings><string id=\"keep\" loc=\"kept\"/></strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"one.xml", one).c_str()));

    EXPECT_FALSE(engine.LoadStrings((folder.path() + L"\\missing.xml").c_str()));
    EXPECT_FALSE(engine.LoadStrings(folder.path().c_str()));
    EXPECT_FALSE(engine.LoadStrings(nullptr));
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"text.xml", "just some text").c_str()));
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"empty.xml", "").c_str()));
    std::string cut = "<strings><string id=\"cut\" loc=\"lost\"/><string id=\"x\" lo";
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"cut.xml", cut).c_str()));
    std::string wrongRoot = "<texts><string id=\"other\" loc=\"ignored\"/></texts>";
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"root.xml", wrongRoot).c_str()));
    std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"binary.xml", binary).c_str()));

    // Entities that would expand to a billion characters in one row.
    std::string laughs = "<!DOCTYPE strings [<!ENTITY l0 'lol'>";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " '";
        for (int j = 0; j < 10; ++j) laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "'>";
    }
    laughs += "]><strings><string id='laugh' loc='&l9;'/></strings>";
    EXPECT_FALSE(engine.LoadStrings(folder.WriteUtf8(L"laughs.xml", laughs).c_str()));

    EXPECT_EQ(1, engine.GetStringCount());
    EXPECT_STREQ(L"kept", engine.FindString(L"keep", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(L"cut", nullptr));
}

TEST_F(StringTable, PartialRowsLoadWhatTheyCan) {
    std::string rows =
        "<strings>\n"
        "  <!-- a comment first -->\n"
        "  <string attr=\"label\" loc=\"no id\"/>\n"
        "  <string id=\"a\" loc=\"A\"/>\n"
        "  <!-- a comment between rows -->\n"
        "  <other id=\"b\" loc=\"not a row\"/>\n"
        "  <string id=\"c\" attr=\"label\"/>\n"
        "  <string id=\"d\" loc=\"D &amp; &lt;d&gt;\">text inside</string>\n"
        "  <string id=\"e\" loc=\"\"/>\n"
        "  <string id=\"f\" attr=\"value\" loc=\"F\" extra=\"1\"/>\n"
        "</strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"partial.xml", rows).c_str()));
    EXPECT_EQ(5, engine.GetStringCount());
    EXPECT_STREQ(L"A", engine.FindString(L"a", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(L"b", nullptr));
    EXPECT_STREQ(L"Label", engine.GetString(L"c", L"label", L"Label"));
    EXPECT_STREQ(L"D & <d>", engine.FindString(L"d", nullptr));
    // An empty text is a text: the translator asked for nothing to show.
    EXPECT_STREQ(L"", engine.GetString(L"e", nullptr, L"E"));
    EXPECT_STREQ(L"F", engine.FindString(L"f", L"value"));
}

TEST_F(StringTable, ReadsNonAsciiTextInUtf8AndUtf16Documents) {
    std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<strings><string id=\"gr\xC3\xBC\xC3\x9F" "e\" loc=\"\xC3\x84rger \xE2\x82\xAC \xE6\x97\xA5"
        "\xF0\x9F\x98\x80\"/></strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf8(L"utf8.xml", utf8).c_str()));
    EXPECT_STREQ(L"\u00C4rger \u20AC \u65E5\U0001F600", engine.FindString(L"GR\u00DC\u00DFE", nullptr));

    std::wstring utf16 =
        L"<?xml version=\"1.0\" encoding=\"utf-16\"?>"
        L"<strings><string id=\"menu-delall\" loc=\"Verlauf l\u00F6schen\"/></strings>";
    ASSERT_TRUE(engine.LoadStrings(folder.WriteUtf16(L"utf16.xml", utf16).c_str()));
    EXPECT_STREQ(L"Verlauf l\u00F6schen", engine.FindString(L"menu-delall", nullptr));
}

TEST_F(StringTable, LoadsFromAFolderWithANonAsciiName) {
    TempFolder named(L"Spr\u00E4che");
    std::string rows = "<strings><string id=\"k\" loc=\"v\"/></strings>";
    ASSERT_TRUE(engine.LoadStrings(named.WriteUtf8(L"mirabex.xml", rows).c_str()));
    EXPECT_STREQ(L"v", engine.FindString(L"k", nullptr));
}

TEST(Engine, KnowsNoImagesOfItsOwn) {
    CZABEngine engine(::GetModuleHandleW(nullptr));
    EXPECT_EQ(::GetModuleHandleW(nullptr), engine.GetInstance());

    CDibCanvas dib(8, 8, 0x00123456u);
    ASSERT_TRUE(dib.ok());
    EXPECT_FALSE(engine.DrawImage(dib.dc(), 0, 0, 8, 8, L"logo.png"));
    EXPECT_EQ(64, dib.Count([](DWORD pixel) { return pixel == 0x00123456u; }));
}

}  // namespace
