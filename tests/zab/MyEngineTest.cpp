#include <gtest/gtest.h>
#include "tests/zab/ZabTestSupport.h"
#include <memory>
#include "ui/CMyEngine.h"
#include "zab/CZABElement.h"

namespace {

const DWORD kWhite = 0x00FFFFFF;
const DWORD kRed = 0x00FF0000;
const DWORD kGreen = 0x0000FF00;
const DWORD kBlue = 0x000000FF;

TEST(MyEngine, DrawsThePngResourceScaledIntoTheRectangle) {
    CMyEngine myEngine(::GetModuleHandleW(nullptr));
    CZABEngine& engine = myEngine;
    CDibCanvas dib(40, 40, kWhite);
    ASSERT_TRUE(dib.ok());
    // The name is matched without regard to case, as the documents write it.
    ASSERT_TRUE(engine.DrawImage(dib.dc(), 10, 10, 20, 20, L"test-quads.png"));

    // Each source pixel becomes a 10 x 10 block, with no blending at the seams.
    EXPECT_EQ(100, dib.CountRgb(kRed));
    EXPECT_EQ(100, dib.CountRgb(kGreen));
    EXPECT_EQ(100, dib.CountRgb(kBlue));
    EXPECT_EQ(1600 - 300, dib.CountRgb(kWhite));
    EXPECT_EQ(kRed, dib.Rgb(10, 10));
    EXPECT_EQ(kRed, dib.Rgb(19, 19));
    EXPECT_EQ(kGreen, dib.Rgb(20, 10));
    EXPECT_EQ(kGreen, dib.Rgb(29, 19));
    EXPECT_EQ(kBlue, dib.Rgb(10, 29));
    // The transparent pixel leaves the background.
    EXPECT_EQ(kWhite, dib.Rgb(25, 25));
    EXPECT_EQ(kWhite, dib.Rgb(9, 10));
    EXPECT_EQ(kWhite, dib.Rgb(30, 10));
}

TEST(MyEngine, StretchesToAnyAspect) {
    CMyEngine engine(::GetModuleHandleW(nullptr));
    CDibCanvas dib(16, 16, kWhite);
    ASSERT_TRUE(engine.DrawImage(dib.dc(), 0, 4, 16, 4, L"TEST-QUADS.PNG"));
    EXPECT_EQ(16, dib.CountRgb(kRed));
    EXPECT_EQ(16, dib.CountRgb(kGreen));
    EXPECT_EQ(16, dib.CountRgb(kBlue));
    EXPECT_EQ(kRed, dib.Rgb(0, 4));
    EXPECT_EQ(kGreen, dib.Rgb(15, 5));
    EXPECT_EQ(kBlue, dib.Rgb(7, 7));
    EXPECT_EQ(kWhite, dib.Rgb(8, 7));
    EXPECT_EQ(kWhite, dib.Rgb(0, 3));
    EXPECT_EQ(kWhite, dib.Rgb(0, 8));
}

TEST(MyEngine, DrawsNothingWithoutAValidPicture) {
    CMyEngine engine(::GetModuleHandleW(nullptr));
    CDibCanvas dib(16, 16, kWhite);
    EXPECT_FALSE(engine.DrawImage(dib.dc(), 0, 0, 16, 16, L"logo.png"));
    EXPECT_FALSE(engine.DrawImage(dib.dc(), 0, 0, 16, 16, L"broken.png"));
    EXPECT_FALSE(engine.DrawImage(dib.dc(), 0, 0, 16, 16, nullptr));
    EXPECT_FALSE(engine.DrawImage(nullptr, 0, 0, 16, 16, L"test-quads.png"));
    EXPECT_EQ(256, dib.CountRgb(kWhite));

    // Another module's resources are not this engine's.
    CMyEngine other(::GetModuleHandleW(L"kernel32.dll"));
    EXPECT_FALSE(other.DrawImage(dib.dc(), 0, 0, 16, 16, L"test-quads.png"));
    EXPECT_EQ(256, dib.CountRgb(kWhite));
}

TEST(MyEngine, KeepsTheStringTableOfTheEngine) {
    CMyEngine engine(::GetModuleHandleW(nullptr));
    EXPECT_EQ(::GetModuleHandleW(nullptr), engine.GetInstance());
    // The element factory is the engine's own.
    std::unique_ptr<CZABElement> picture(engine.CreateElement(L"picture", nullptr));
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->QueryElement(L"picture", nullptr));
    EXPECT_STREQ(L"Pause", engine.GetString(L"menu-pause", nullptr, L"Pause"));
}

}  // namespace
