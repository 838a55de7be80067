// A history entry's Save... as a person uses it: the save dialog offers the
// types the entry's content can be saved as, names the file in the
// documents folder, follows the chosen type, and writes the file the
// person named. The saved files are checked byte for byte (texts) and by
// decoding them (pictures).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "clipdata/CClipboardItem.h"
#include "host/automation/CDialogPlayer.h"
#include "image/CxImage.h"
#include "plugin/CPlugin.h"
#include "tests/support/CTempFolder.h"
#include "tests/support/ClipContent.h"
#include "tests/ui/CGermanBarFolder.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CMenuItem.h"

namespace {

const wchar_t kSaveCaption[] = L"Save clipboad snapshot";
const wchar_t kFileDialogTitle[] = L"Mirabex";
// The file dialog's list of file types.
const int kFileTypeList = 0x470;

std::wstring DocumentsFolder() {
    WCHAR path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool IsOpen(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

// The save dialog as it showed itself: its types, the chosen one and the name.
struct Offer {
    std::vector<std::wstring> types;
    int chosen = -1;
    std::wstring name;
};

Offer ReadOffer(HWND dialog) {
    Offer offer;
    HWND list = CDialogPlayer::Control(dialog, L"ComboBox", 0);
    int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[MAX_PATH] = L"";
        SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        offer.types.push_back(text);
    }
    offer.chosen = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    offer.name = CDialogPlayer::Text(CDialogPlayer::Control(dialog, L"Edit", 0));
    return offer;
}

// Opens the file dialog through Browse... and reads its types (text and
// pattern), then cancels it.
std::vector<std::pair<std::wstring, std::wstring>> BrowseFilters(HWND dialog, const std::wstring& browse) {
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    CDialogPlayer::ClickLater(CDialogPlayer::Control(dialog, L"Button", browse));
    HWND files = nullptr;
    ULONGLONG end = GetTickCount64() + 10000;
    while (!(files = CDialogPlayer::Find(kFileDialogTitle)) && GetTickCount64() < end) Sleep(20);
    if (!files) return filters;
    HWND types = GetDlgItem(files, kFileTypeList);
    int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        WCHAR text[MAX_PATH] = L"";
        SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        // The dialog keeps each type's pattern as the entry's data, in this process.
        auto pattern = reinterpret_cast<const WCHAR*>(SendMessageW(types, CB_GETITEMDATA, i, 0));
        filters.emplace_back(text, pattern && pattern != reinterpret_cast<const WCHAR*>(CB_ERR) ? pattern : L"");
    }
    SendMessageW(files, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(files, IDCANCEL)));
    end = GetTickCount64() + 10000;
    while (IsOpen(files) && GetTickCount64() < end) Sleep(20);
    return filters;
}

class SaveDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bar.IsReady()); }

    // Saves the newest entry as type `type` (from 0) under `name` through
    // the dialog; answers whether the dialog came and ended with OK.
    bool Save(int type, const std::wstring& name) {
        bool ended = false;
        CDialogPlayer player(kSaveCaption, [&](HWND dialog) {
            CDialogPlayer::Choose(CDialogPlayer::Control(dialog, L"ComboBox", 0), type);
            CDialogPlayer::Type(CDialogPlayer::Control(dialog, L"Edit", 0), name);
            CDialogPlayer::Click(GetDlgItem(dialog, IDOK));
            ended = !IsOpen(dialog);
        });
        EXPECT_EQ(S_OK, bar.Newest()->MenuCommand(CMenuItem::SaveCommand, 0, 0));
        player.Finish();
        return player.Played() && ended;
    }

    OleScope ole;
    CMenuTestBar bar;
    mxtest::CTempFolder folder{L"mx-save"};
};

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

std::vector<BYTE> Utf16(const std::wstring& text) {
    auto bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

}  // namespace

TEST_F(SaveDialog, OffersTheFirstTypeInTheDocumentsFolderAndSavesTextsAsTheyWere) {
    const std::wstring text = L"Saved as it was copied";
    ASSERT_TRUE(bar.CopyText(text, 1));
    const std::wstring suggested = DocumentsFolder() + L"\\Clipboard Snapshot.txt";
    DeleteFileW(suggested.c_str());
    Offer offer;
    std::vector<bool> openAfter;
    CDialogPlayer player(kSaveCaption, [&](HWND dialog) {
        offer = ReadOffer(dialog);
        HWND name = CDialogPlayer::Control(dialog, L"Edit", 0);
        HWND ok = GetDlgItem(dialog, IDOK);
        // No name, and a name longer than a path holds: the dialog stays.
        CDialogPlayer::Paste(name, L"");
        CDialogPlayer::Click(ok);
        openAfter.push_back(IsOpen(dialog));
        CDialogPlayer::Paste(name, folder.Path() + L"\\" + std::wstring(260, L'x') + L".txt");
        CDialogPlayer::Click(ok);
        openAfter.push_back(IsOpen(dialog));
        CDialogPlayer::Click(GetDlgItem(dialog, IDCANCEL));
        openAfter.push_back(IsOpen(dialog));
    });
    EXPECT_EQ(S_OK, bar.Newest()->MenuCommand(CMenuItem::SaveCommand, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ((std::vector<std::wstring>{L"Text (ANSI encoding)", L"Text (Unicode encoding)"}), offer.types);
    EXPECT_EQ(0, offer.chosen);
    EXPECT_EQ(suggested, offer.name);
    EXPECT_EQ((std::vector<bool>{true, true, false}), openAfter);
    EXPECT_FALSE(mxtest::FileExists(suggested)) << "cancelled: nothing saved";
    EXPECT_TRUE(folder.Files().empty());
    DeleteFileW(suggested.c_str());

    ASSERT_TRUE(Save(0, folder.File(L"ansi.txt")));
    EXPECT_EQ(Bytes(mxtest::Narrow(text)), mxtest::ReadFileBytes(folder.File(L"ansi.txt")));
    ASSERT_TRUE(Save(1, folder.File(L"unicode.txt")));
    EXPECT_EQ(Utf16(text), mxtest::ReadFileBytes(folder.File(L"unicode.txt")));
}

TEST_F(SaveDialog, SavesHtmlAndRtfByteForByte) {
    const std::string fragment = "<p>Some <b>bold</b> HTML</p>";
    ASSERT_TRUE(RunOtherApp({L"texthtml:" + mxtest::Widen(fragment)}) && WaitUntil([&] { return bar.Count() == 1; }));
    // Text first, then HTML: the HTML type is the third.
    ASSERT_TRUE(Save(2, folder.File(L"page.htm")));
    EXPECT_EQ(Bytes(clipcontent::HtmlBlock(fragment)), mxtest::ReadFileBytes(folder.File(L"page.htm")));

    ASSERT_TRUE(RunOtherApp({L"rtf:Some {\\b bold} RTF"}) && WaitUntil([&] { return bar.Count() == 2; }));
    ASSERT_TRUE(Save(0, folder.File(L"letter.rtf")));
    EXPECT_EQ(Bytes("{\\rtf1 Some {\\b bold} RTF}"), mxtest::ReadFileBytes(folder.File(L"letter.rtf")));
}

namespace {

// Mean difference per channel between a decoded picture and the copied one.
double MeanDifference(const CxImage& image, const clipcontent::Format& dib, int width, int height) {
    auto pixels = reinterpret_cast<const DWORD*>(dib.bytes.data() + sizeof(BITMAPINFOHEADER));
    double sum = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            DWORD copied = pixels[y * width + x];
            RGBQUAD decoded = image.GetPixelColor(x, y);
            sum += std::abs(int(decoded.rgbBlue) - int(copied & 0xFF)) +
                   std::abs(int(decoded.rgbGreen) - int((copied >> 8) & 0xFF)) +
                   std::abs(int(decoded.rgbRed) - int((copied >> 16) & 0xFF));
        }
    return sum / (3.0 * width * height);
}

}  // namespace

TEST_F(SaveDialog, APictureFollowsTheChosenTypeAndDecodes) {
    const int width = 40, height = 30;
    ASSERT_TRUE(RunOtherApp({L"dib:40 30 3"}) && WaitUntil([&] { return bar.Count() == 1; }));
    Offer first, jpeg;
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    CDialogPlayer player(kSaveCaption, [&](HWND dialog) {
        first = ReadOffer(dialog);
        CDialogPlayer::Choose(CDialogPlayer::Control(dialog, L"ComboBox", 0), 1);
        jpeg = ReadOffer(dialog);
        filters = BrowseFilters(dialog, L"Browse...");
        CDialogPlayer::Click(GetDlgItem(dialog, IDCANCEL));
    });
    EXPECT_EQ(S_OK, bar.Newest()->MenuCommand(CMenuItem::SaveCommand, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ((std::vector<std::wstring>{L"Image (BMP format)", L"Image (JPEG format)", L"Image (PNG format)"}),
              first.types);
    EXPECT_EQ(DocumentsFolder() + L"\\Clipboard Snapshot.bmp", first.name);
    EXPECT_EQ(1, jpeg.chosen);
    EXPECT_EQ(DocumentsFolder() + L"\\Clipboard Snapshot.jpg", jpeg.name);
    EXPECT_EQ((std::vector<std::pair<std::wstring, std::wstring>>{{L"Image (JPEG format)", L"*.jpg;*.jpeg"},
                                                                 {L"All Files", L"*.*"}}),
              filters);

    const clipcontent::Format copied = clipcontent::Dib(width, height, 3);
    ASSERT_TRUE(Save(0, folder.File(L"picture.bmp")));
    ASSERT_TRUE(Save(1, folder.File(L"picture.jpg")));
    ASSERT_TRUE(Save(2, folder.File(L"picture.png")));
    struct Expect { const wchar_t* file; DWORD type; double tolerance; };
    for (const Expect& e : {Expect{L"picture.bmp", IMAGE_TYPE_BMP, 0.0}, Expect{L"picture.jpg", IMAGE_TYPE_JPG, 12.0},
                            Expect{L"picture.png", IMAGE_TYPE_PNG, 0.0}}) {
        CxImage image;
        ASSERT_TRUE(image.Load(folder.File(e.file).c_str(), e.type)) << e.file;
        EXPECT_EQ(DWORD(width), image.GetWidth()) << e.file;
        EXPECT_EQ(DWORD(height), image.GetHeight()) << e.file;
        EXPECT_LE(MeanDifference(image, copied, width, height), e.tolerance) << e.file;
    }
}

TEST_F(SaveDialog, GermanTexts) {
    CGermanBarFolder german(L"mx-save-de", MX_GERMAN_DOCUMENT);
    ASSERT_TRUE(german.Ready());
    ASSERT_EQ(S_OK, bar.Root()->SetLanguage(1031, nullptr));
    ASSERT_TRUE(bar.CopyText(L"Hallo", 1));
    Offer offer;
    std::vector<std::wstring> missing;
    std::vector<std::pair<std::wstring, std::wstring>> filters;
    CDialogPlayer player(L"Zwischenablage-Schnappschuss speichern", [&](HWND dialog) {
        offer = ReadOffer(dialog);
        for (const wchar_t* label : {L"Dateiformat:", L"Dateiname:"})
            if (!CDialogPlayer::Control(dialog, L"Static", label)) missing.push_back(label);
        for (const wchar_t* button : {L"Durchsuchen...", L"Abbrechen"})
            if (!CDialogPlayer::Control(dialog, L"Button", button)) missing.push_back(button);
        CDialogPlayer::Click(GetDlgItem(dialog, IDCANCEL));
    });
    EXPECT_EQ(S_OK, bar.Newest()->MenuCommand(CMenuItem::SaveCommand, 0, 0));
    player.Finish();
    ASSERT_TRUE(player.Played());
    EXPECT_EQ((std::vector<std::wstring>{L"Text (ANSI-Kodierung)", L"Text (Unicode-Kodierung)"}), offer.types);
    EXPECT_EQ(DocumentsFolder() + L"\\Zwischenablage-Schnappschuss.txt", offer.name);
    EXPECT_TRUE(missing.empty()) << mxtest::Narrow(missing.front());
}
