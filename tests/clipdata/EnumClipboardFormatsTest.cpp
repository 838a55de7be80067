// The formats a history entry offers a drop target: the enumerator's walk
// over its fixed list of (format, medium) pairs.
#include <gtest/gtest.h>
#include <vector>
#include "clipdata/CEnumClipboardFormats.h"

namespace {

const UINT kHtml = 0xC100;

// Three pairs; the second one offered twice.
CEnumClipboardFormats* ThreePairs() {
    auto list = new CEnumClipboardFormats();
    list->AddFormatEtc(CF_TEXT, TYMED_HGLOBAL);
    list->AddFormatEtc(CF_UNICODETEXT, TYMED_HGLOBAL);
    list->AddFormatEtc(CF_UNICODETEXT, TYMED_HGLOBAL);
    list->AddFormatEtc(kHtml, TYMED_HGLOBAL);
    return list;
}

}  // namespace

TEST(EnumClipboardFormats, NextSkipResetAndClone) {
    CEnumClipboardFormats* list = ThreePairs();
    EXPECT_EQ(3u, list->GetCount()) << "a pair offered twice is listed once";
    // The same format with another medium is another pair.
    list->AddFormatEtc(CF_UNICODETEXT, TYMED_ISTREAM);
    EXPECT_EQ(4u, list->GetCount());
    list->Release();

    list = ThreePairs();
    FORMATETC out[10] = {};
    ULONG fetched = 99;
    EXPECT_EQ(S_FALSE, list->Next(10, out, &fetched));
    ASSERT_EQ(3u, fetched);
    const UINT expected[3] = {CF_TEXT, CF_UNICODETEXT, kHtml};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i], out[i].cfFormat);
        EXPECT_EQ(nullptr, out[i].ptd);
        EXPECT_EQ(DVASPECT_CONTENT, out[i].dwAspect);
        EXPECT_EQ(-1, out[i].lindex);
        EXPECT_EQ(TYMED_HGLOBAL, out[i].tymed);
    }
    EXPECT_EQ(S_FALSE, list->Next(10, out, &fetched));
    EXPECT_EQ(0u, fetched);

    // Reset after the end starts again from the first pair; fetched may be left out.
    EXPECT_EQ(S_OK, list->Reset());
    EXPECT_EQ(S_OK, list->Next(1, out, nullptr));
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);
    EXPECT_EQ(S_OK, list->Next(2, out, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(kHtml, out[1].cfFormat);

    // Skipping to the end is allowed, beyond it not (and then nothing moves).
    list->Reset();
    EXPECT_EQ(S_FALSE, list->Skip(4));
    EXPECT_EQ(S_OK, list->Next(1, out, &fetched));
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);
    EXPECT_EQ(S_OK, list->Skip(2));
    EXPECT_EQ(S_FALSE, list->Skip(1));
    EXPECT_EQ(S_FALSE, list->Next(1, out, &fetched));
    EXPECT_EQ(0u, fetched);
    list->Reset();
    EXPECT_EQ(S_OK, list->Skip(3));
    EXPECT_EQ(S_FALSE, list->Next(1, out, &fetched));

    IEnumFORMATETC* copy = reinterpret_cast<IEnumFORMATETC*>(1);
    EXPECT_EQ(E_UNEXPECTED, list->Clone(&copy));
    EXPECT_EQ(nullptr, copy);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, list->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IEnumFORMATETC*>(list)), unknown);
    EXPECT_EQ(1u, unknown->Release());
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, list->QueryInterface(IID_IDataObject, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(0u, list->Release()) << "the receiver's one release ends it";
}

TEST(EnumClipboardFormats, AnEmptyListFetchesNothing) {
    auto list = new CEnumClipboardFormats();
    FORMATETC out{};
    ULONG fetched = 5;
    EXPECT_EQ(S_FALSE, list->Next(1, &out, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, list->Skip(0));
    EXPECT_EQ(S_FALSE, list->Skip(1));
    EXPECT_EQ(0u, list->Release());
}
