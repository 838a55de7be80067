#include <gtest/gtest.h>
#include <string>
#include "tests/zab/ZabTestSupport.h"
#include "zab/CZABEngine.h"

namespace {

// Where the root button looks: "langs\<id>\mirabex.xml" beside the program.
std::wstring LanguageFile(int languageId) {
    wchar_t module[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path(module, length);
    path.resize(path.rfind(L'\\') + 1);
    return path + L"langs\\" + std::to_wstring(languageId) + L"\\mirabex.xml";
}

struct Text {
    const wchar_t* id;
    const wchar_t* attr;
    const wchar_t* english;
};

// Every text the plug-in and its two dialogs show, with its English default.
const Text kTexts[] = {
    {L"menu-pause", nullptr, L"Pause"},
    {L"menu-delall", nullptr, L"Clear Clipboard History"},
    {L"ask-del", nullptr, L"Do you want to delete the selected item?"},
    {L"order-by-date", nullptr, L"Capture Time"},
    {L"menu-lock", nullptr, L"Lock"},
    {L"menu-save", nullptr, L"Save..."},
    {L"menu-plain", nullptr, L"Copy as plain text"},
    {L"menu-search", nullptr, L"Search history..."},
    {L"hist-1", L"caption", L"Search History"},
    {L"hist-2", L"value", L"Find:"},
    {L"hist-3", L"caption", L"Entry"},
    {L"hist-4", L"caption", L"Captured"},
    {L"hist-6", L"label", L"Lock"},
    {L"hist-7", L"label", L"Restore"},
    {L"hist-8", L"label", L"Close"},
    {L"hist-locked", nullptr, L"Locked"},
    {L"IDS_TIP_CAPTION", nullptr, L"Clipboard Snapshot"},
    {L"IDS_TIP_FORMATS", nullptr, L"Formats"},
    {L"IDS_TIP_TIME", nullptr, L"Time"},
    {L"IDS_DEFAULT_FILENAME", nullptr, L"Clipboard Snapshot"},
    {L"IDS_SAVE_FORMAT_ANSI", nullptr, L"Text (ANSI encoding)"},
    {L"IDS_SAVE_FORMAT_UNICODE", nullptr, L"Text (Unicode encoding)"},
    {L"IDS_SAVE_FORMAT_BITMAP", nullptr, L"Image (BMP format)"},
    {L"IDS_SAVE_FORMAT_JPEG", nullptr, L"Image (JPEG format)"},
    {L"IDS_SAVE_FORMAT_PNG", nullptr, L"Image (PNG format)"},
    {L"IDS_SAVE_FORMAT_HTML", nullptr, L"Text (HTML Format)"},
    {L"IDS_SAVE_FORMAT_RTF", nullptr, L"Text (RTF format)"},
    {L"allfiles", nullptr, L"All Files"},
    {L"prop-1", L"caption", L"Mirabex Properties"},
    {L"prop-3", L"label", L"Options"},
    {L"prop-3", L"caption", L"Mirabex options"},
    {L"prop-4", L"label", L"Hotkeys"},
    {L"prop-5", L"value", L"Open menu:"},
    {L"prop-6", L"value", L"Swap last:"},
    {L"prop-7", L"value", L"Queue size:"},
    {L"prop-17", L"value", L"Menu entries:"},
    {L"prop-8", L"label", L"Confirm for deleting single item"},
    {L"prop-9", L"label", L"Confirm for deleting all items"},
    {L"prop-A", L"label", L"Allow Drag&&Drop"},
    {L"prop-C", L"label", L"About"},
    {L"prop-C", L"caption", L"About Mirabex"},
    {L"prop-11", L"text", L"Mirabex home page"},
    {L"prop-13", L"text", L"Dravelle website"},
    {L"prop-16", L"label", L"Cancel"},
    {L"save-1", L"caption", L"Save clipboad snapshot"},
    {L"save-2", L"value", L"File format:"},
    {L"save-3", L"value", L"File name:"},
    {L"save-4", L"label", L"Browse..."},
    {L"save-7", L"label", L"Cancel"},
};

class GermanLanguage : public ComTest {
protected:
    CZABEngine engine{::GetModuleHandleW(nullptr)};
};

TEST_F(GermanLanguage, TranslatesEveryTextOfThePlugin) {
    ASSERT_TRUE(engine.LoadStrings(LanguageFile(1031).c_str()));
    for (const Text& text : kTexts) {
        const WCHAR* german = engine.FindString(text.id, text.attr);
        ASSERT_NE(nullptr, german) << text.id;
        EXPECT_STRNE(L"", german) << text.id;
        EXPECT_STRNE(text.english, german) << text.id;
    }
    EXPECT_STREQ(L"Anhalten", engine.GetString(L"menu-pause", nullptr, L"Pause"));
    EXPECT_STREQ(L"Formate", engine.GetString(L"IDS_TIP_FORMATS", nullptr, L"Formats"));
    EXPECT_STREQ(L"Zwischenablage-Verlauf l\u00F6schen",
                 engine.GetString(L"menu-delall", nullptr, L"Clear Clipboard History"));
    EXPECT_STREQ(L"Bild (PNG-Format)", engine.GetString(L"IDS_SAVE_FORMAT_PNG", nullptr, L""));
    EXPECT_STREQ(L"Verlaufsgr\u00F6\u00DFe:", engine.FindString(L"prop-7", L"value"));
    EXPECT_STREQ(L"Men\u00FCeintr\u00E4ge:", engine.FindString(L"prop-17", L"value"));
    EXPECT_STREQ(L"Drag&&Drop erlauben", engine.FindString(L"prop-a", L"label"));
    EXPECT_STREQ(L"OK", engine.FindString(L"prop-15", L"label"));
    // Texts of the dialogs are bound to their attribute, the plug-in's are not.
    EXPECT_EQ(nullptr, engine.FindString(L"prop-3", nullptr));
    EXPECT_EQ(nullptr, engine.FindString(L"menu-pause", L"label"));
}

TEST_F(GermanLanguage, AnotherLanguageWithoutADocumentKeepsTheDefaults) {
    ASSERT_TRUE(engine.LoadStrings(LanguageFile(1031).c_str()));
    engine.ClearStrings();
    EXPECT_FALSE(engine.LoadStrings(LanguageFile(1036).c_str()));
    EXPECT_EQ(0, engine.GetStringCount());
    EXPECT_STREQ(L"Pause", engine.GetString(L"menu-pause", nullptr, L"Pause"));
}

}  // namespace
