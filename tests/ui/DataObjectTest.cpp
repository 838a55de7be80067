// A history entry as a data object: through its wrapper as the bar asks for
// it, with OLE's clipboard, and after the bar has let go of the entry.
#include <gtest/gtest.h>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>
#include "base/Module.h"
#include "base/Unique.h"
#include "clipdata/CClipboardItem.h"
#include "plugin/CPlugin.h"
#include "tests/support/COtherApp.h"
#include "tests/support/CTestClipboard.h"
#include "tests/ui/CMenuTestBar.h"
#include "tests/ui/RootTestSupport.h"
#include "ui/CClipBoardButton.h"
#include "ui/CMenuItem.h"

using Microsoft::WRL::ComPtr;
using namespace clipcontent;

namespace {

class DataObject : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bar.IsReady()); }
    ComPtr<IDataObject> DataOf(IDvlButton* entry) {
        ComPtr<IDataObject> data;
        EXPECT_EQ(S_OK, entry->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.GetAddressOf())));
        return data;
    }

    OleScope ole;
    CMenuTestBar bar{true};
};

FORMATETC Request(UINT format, DWORD tymed = TYMED_HGLOBAL) {
    return {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, tymed};
}

std::vector<BYTE> BlockBytes(HGLOBAL block) {
    mx::unique_hglobal_locked data(block);
    auto bytes = static_cast<const BYTE*>(data.get());
    return bytes ? std::vector<BYTE>(bytes, bytes + data.size()) : std::vector<BYTE>();
}

HGLOBAL BlockOf(const void* bytes, SIZE_T size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

std::vector<UINT> Enumerated(IDataObject* data) {
    std::vector<UINT> formats;
    ComPtr<IEnumFORMATETC> list;
    if (data->EnumFormatEtc(DATADIR_GET, &list) != S_OK) return formats;
    FORMATETC one;
    while (list->Next(1, &one, nullptr) == S_OK) {
        EXPECT_EQ(TYMED_HGLOBAL, one.tymed);
        formats.push_back(one.cfFormat);
    }
    return formats;
}

// The bytes a format's block must begin with, and the rest zero.
bool SameBlock(const std::vector<BYTE>& expected, const std::vector<BYTE>& got) {
    if (got.size() < expected.size() || !std::equal(expected.begin(), expected.end(), got.begin())) return false;
    for (size_t i = expected.size(); i < got.size(); ++i)
        if (got[i]) return false;
    return true;
}

std::vector<BYTE> FromHex(const std::string& hex) {
    std::vector<BYTE> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<BYTE>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

}  // namespace

TEST_F(DataObject, DragPermissionDecidesTheInterfaceThroughTheWrapper) {
    ASSERT_TRUE(bar.CopyText(L"dragged", 1));
    Entry entry = bar.Newest();
    void* out = reinterpret_cast<void*>(1);
    bar.Button()->SetDragAllowed(FALSE);
    EXPECT_EQ(E_NOINTERFACE, entry->QueryInterface(IID_IDataObject, &out));
    EXPECT_EQ(nullptr, out);
    bar.Button()->SetDragAllowed(TRUE);
    ComPtr<IDataObject> data = DataOf(entry.Get());
    ASSERT_TRUE(data);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, data.As(&unknown));
    ComPtr<IStream> stream;
    EXPECT_EQ(E_NOINTERFACE, data.As(&stream));
    // The bar's own interface is still the wrapper's.
    ComPtr<IDvlButton> again;
    EXPECT_EQ(S_OK, entry->QueryInterface(IID_IDvlButton, reinterpret_cast<void**>(again.GetAddressOf())));
    EXPECT_EQ(entry.Get(), again.Get());
}

TEST_F(DataObject, TheBarsDragRecordAndTheFixedAnswers) {
    ASSERT_TRUE(bar.CopyText(L"record", 1));
    Entry entry = bar.Newest();
    ComPtr<IDataObject> data = DataOf(entry.Get());
    ASSERT_TRUE(data);
    const UINT record = RegisterClipboardFormatW(L"Dravelle button");
    FORMATETC format = Request(record);

    // Before any SetData: three zeros.
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    EXPECT_EQ(std::vector<BYTE>(12, 0), BlockBytes(medium.hGlobal));
    ReleaseStgMedium(&medium);

    const DWORD values[3] = {5, 6, 7};
    STGMEDIUM in{TYMED_HGLOBAL, {nullptr}, nullptr};
    in.hGlobal = BlockOf(values, sizeof(values));
    ASSERT_EQ(S_OK, data->SetData(&format, &in, FALSE));
    GlobalFree(in.hGlobal);
    medium = {};
    ASSERT_EQ(S_OK, data->GetData(&format, &medium));
    EXPECT_EQ(TYMED_HGLOBAL, medium.tymed);
    EXPECT_EQ(nullptr, medium.pUnkForRelease);
    std::vector<BYTE> got = BlockBytes(medium.hGlobal);
    ASSERT_EQ(12u, got.size());
    DWORD out[3];
    memcpy(out, got.data(), sizeof(out));
    EXPECT_EQ(5u, out[0]);
    EXPECT_EQ(1u, out[1]);
    EXPECT_EQ(7u, out[2]);
    ReleaseStgMedium(&medium);
    EXPECT_EQ(S_OK, data->QueryGetData(&format));

    // A block too small for the record is refused and changes nothing.
    const DWORD shortValue = 9;
    in.hGlobal = BlockOf(&shortValue, sizeof(shortValue));
    EXPECT_EQ(E_INVALIDARG, data->SetData(&format, &in, FALSE));
    GlobalFree(in.hGlobal);
    // Handed over with release: the entry frees the block.
    in.hGlobal = BlockOf(values, sizeof(values));
    EXPECT_EQ(S_OK, data->SetData(&format, &in, TRUE));

    // Another medium: the item's own answer, which is no success.
    FORMATETC stream = Request(record, TYMED_ISTREAM);
    CClipboardItem* item = CMenuTestBar::ItemOf(entry.Get());
    EXPECT_NE(S_OK, data->QueryGetData(&stream));
    EXPECT_EQ(item->QueryGetData(&stream), data->QueryGetData(&stream));
    medium = {};
    EXPECT_NE(S_OK, data->GetData(&stream, &medium));
    EXPECT_EQ(nullptr, medium.hGlobal);
    // A medium mask that only includes global memory: as the stored formats answer it.
    FORMATETC mixed = Request(record, TYMED_HGLOBAL | TYMED_ISTREAM);
    FORMATETC mixedText = Request(CF_UNICODETEXT, TYMED_HGLOBAL | TYMED_ISTREAM);
    EXPECT_NE(S_OK, data->QueryGetData(&mixedText));
    EXPECT_NE(S_OK, data->QueryGetData(&mixed));
    EXPECT_EQ(item->QueryGetData(&mixed), data->QueryGetData(&mixed));
    medium = {};
    EXPECT_NE(S_OK, data->GetData(&mixed, &medium));
    in.hGlobal = BlockOf(values, sizeof(values));
    EXPECT_EQ(E_NOTIMPL, data->SetData(&mixed, &in, FALSE));
    GlobalFree(in.hGlobal);
    FORMATETC text = Request(CF_UNICODETEXT);
    in.hGlobal = BlockOf(values, sizeof(values));
    EXPECT_EQ(E_NOTIMPL, data->SetData(&text, &in, FALSE));
    GlobalFree(in.hGlobal);

    ComPtr<IEnumFORMATETC> list;
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, &list));
    EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&text, &medium));
    FORMATETC canonical{};
    EXPECT_EQ(E_NOTIMPL, data->GetCanonicalFormatEtc(&text, &canonical));
    DWORD connection = 0;
    EXPECT_EQ(E_NOTIMPL, data->DAdvise(&text, 0, nullptr, &connection));
    EXPECT_EQ(E_NOTIMPL, data->DUnadvise(0));
    IEnumSTATDATA* advises = nullptr;
    EXPECT_EQ(E_NOTIMPL, data->EnumDAdvise(&advises));
}

TEST_F(DataObject, TextAndPictureEnumerateAndRenderFromTheSnapshot) {
    Format picture = Dib(40, 20, 11);
    ASSERT_TRUE(bar.Copy({Unicode(L"with picture"), picture}, 1));
    Entry entry = bar.Newest();
    ComPtr<IDataObject> data = DataOf(entry.Get());
    ASSERT_TRUE(data);
    EXPECT_EQ((std::vector<UINT>{CF_TEXT, CF_UNICODETEXT, CF_DIB}), Enumerated(data.Get()));

    STGMEDIUM medium{};
    FORMATETC text = Request(CF_UNICODETEXT);
    ASSERT_EQ(S_OK, data->GetData(&text, &medium));
    EXPECT_STREQ(L"with picture", reinterpret_cast<const wchar_t*>(BlockBytes(medium.hGlobal).data()));
    ReleaseStgMedium(&medium);
    FORMATETC dib = Request(CF_DIB);
    ASSERT_EQ(S_OK, data->GetData(&dib, &medium));
    EXPECT_TRUE(SameBlock(picture.bytes, BlockBytes(medium.hGlobal)));
    ReleaseStgMedium(&medium);

    // The snapshot file goes away behind the item's back: nothing is handed
    // out, and the entry still shows what it holds in memory.
    std::wstring tip = bar.TipText(entry.Get());
    CClipboardItem* item = CMenuTestBar::ItemOf(entry.Get());
    ASSERT_TRUE(DeleteFileW(item->GetPath().c_str()));
    medium = {};
    EXPECT_NE(S_OK, data->GetData(&text, &medium));
    EXPECT_EQ(TYMED_NULL, medium.tymed);
    EXPECT_EQ(nullptr, medium.hGlobal);
    EXPECT_EQ(tip, bar.TipText(entry.Get()));
    CPixels pixels(200, 40);
    const RECT rect = {0, 0, 200, 40};
    ASSERT_EQ(S_OK, entry->DrawButtonIcon(pixels.Dc(), &rect, 0));
    int drawn = 0;
    for (int x = 24; x < 200; ++x)
        for (int y = 0; y < 36; ++y) drawn += pixels.At(x, y) != 0xFFFFFFu;
    EXPECT_GT(drawn, 10) << "the thumbnail from memory";

    // A file list alone offers nothing to render.
    ASSERT_TRUE(bar.Copy({Drop(L"C:\\a.txt|C:\\b.txt")}, 2));
    ComPtr<IDataObject> files = DataOf(bar.Newest().Get());
    ASSERT_TRUE(files);
    ComPtr<IEnumFORMATETC> none;
    ASSERT_EQ(S_OK, files->EnumFormatEtc(DATADIR_GET, &none));
    FORMATETC one{};
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, none->Next(1, &one, &fetched));
    EXPECT_EQ(0u, fetched);
}

TEST_F(DataObject, TheDataObjectKeepsTheEntryAliveAfterTheBarLetsGo) {
    ASSERT_TRUE(bar.CopyText(L"outlives the menu", 1));
    Entry entry = bar.Newest();
    ComPtr<IDataObject> data = DataOf(entry.Get());
    ASSERT_TRUE(data);
    const LONG objects = ModuleObjectCount();
    entry.Reset();
    EXPECT_EQ(objects - 1, ModuleObjectCount()) << "the wrapper is gone, the entry is not";

    FORMATETC text = Request(CF_UNICODETEXT);
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, data->GetData(&text, &medium));
    ReleaseStgMedium(&medium);
    ASSERT_EQ(S_OK, data->QueryGetData(&text));

    // The item leaves the history: its data object renders nothing any more.
    bar.Button()->GetStore().DeleteItem(1);
    ASSERT_EQ(0, bar.Count());
    medium = {};
    EXPECT_EQ(E_INVALIDARG, data->GetData(&text, &medium));
    EXPECT_EQ(nullptr, medium.hGlobal);
    EXPECT_EQ(E_INVALIDARG, data->QueryGetData(&text));
    EXPECT_TRUE(Enumerated(data.Get()).empty());
    // The bar's own record still answers.
    FORMATETC record = Request(RegisterClipboardFormatW(L"Dravelle button"));
    EXPECT_EQ(S_OK, data->QueryGetData(&record));

    data.Reset();
    EXPECT_EQ(objects - 2, ModuleObjectCount()) << "the last holder's release ends the entry";
}

// Handed to OLE's clipboard and flushed, the entry's formats are there for
// any program; the copy brings the same entry back instead of a new one.
TEST_F(DataObject, AnotherProgramReadsEveryFormatHandedToOlesClipboard) {
    Format picture = Dib(5, 3, 2);
    Format html = Html("<i>pasted</i> elsewhere");
    Format text = Unicode(L"pasted elsewhere");
    ASSERT_TRUE(bar.Copy({html, text, picture}, 1));
    ASSERT_TRUE(bar.CopyText(L"something newer", 2));
    const LONG objects = ModuleObjectCount();
    {
        std::vector<Entry> menu = bar.Menu();
        ASSERT_EQ(2u, menu.size());
        ComPtr<IDataObject> data = DataOf(menu[0].Get());
        ASSERT_TRUE(data);
        menu.clear();
        ASSERT_EQ(S_OK, OleSetClipboard(data.Get()));
    }
    // The watcher may be reading the new content meanwhile, through this
    // thread's rendering: flush while answering messages.
    ASSERT_TRUE(WaitUntil([] { return OleFlushClipboard() == S_OK; }));
    EXPECT_EQ(objects, ModuleObjectCount()) << "flushed: OLE let go of the data object and its entry";

    // What a program that pastes reads back, one format after the other.
    mxtest::COtherApp other;
    ASSERT_TRUE(other.IsRunning());
    std::vector<std::vector<BYTE>> blocks;
    for (const char* format : {"13", "1", "HTML Format", "8"}) {
        // This thread goes on answering its messages meanwhile, as the bar's does.
        ASSERT_TRUE(other.Post(std::string("dump ") + format));
        ASSERT_TRUE(WaitUntil([&] { return other.HasReply(); }));
        std::istringstream reply(other.Reply());
        std::string ok, size, hex;
        reply >> ok >> size >> hex;
        ASSERT_EQ("ok", ok) << format << " " << reply.str();
        blocks.push_back(FromHex(hex));
    }
    EXPECT_TRUE(SameBlock(text.bytes, blocks[0]));
    EXPECT_TRUE(SameBlock({'p', 'a', 's', 't', 'e', 'd', ' ', 'e', 'l', 's', 'e', 'w', 'h', 'e', 'r', 'e', 0}, blocks[1]));
    EXPECT_TRUE(SameBlock(html.bytes, blocks[2]));
    EXPECT_TRUE(SameBlock(picture.bytes, blocks[3]));

    // The watcher saw the copy: the same entry is current again, no new one.
    ASSERT_TRUE(WaitUntil([&] { return bar.Button()->GetStore().GetLastSequence() >= GetClipboardSequenceNumber(); }));
    ItemRef first = bar.Button()->GetStore().FindItem(1);
    ASSERT_TRUE(first);
    EXPECT_TRUE(WaitUntil([&] { return first->IsCurrent(); }));
    EXPECT_EQ(2, bar.Count());
    EXPECT_EQ(2u, SnapshotFileCount());
}

// OLE's clipboard may render an entry long after the bar released both the
// entry and the button that made it (the store and its watcher are gone by
// then): the data object needs nothing but its item, and its last release
// ends the entry.
TEST_F(DataObject, OlesClipboardRendersAnEntryWhoseButtonIsGone) {
    Format picture = Dib(6, 4, 3);
    ASSERT_TRUE(bar.Copy({Unicode(L"outlives its button"), picture}, 1));
    const LONG withButton = ModuleObjectCount();
    {
        Entry entry = bar.Newest();
        ComPtr<IDataObject> data = DataOf(entry.Get());
        ASSERT_TRUE(data);
        ASSERT_EQ(S_OK, OleSetClipboard(data.Get()));
    }
    bar.ReleaseRoot();
    EXPECT_EQ(withButton - 1, ModuleObjectCount()) << "the button and its wrapper are gone, the entry is not";

    ASSERT_TRUE(WaitUntil([] { return OleFlushClipboard() == S_OK; }));
    EXPECT_EQ(withButton - 2, ModuleObjectCount()) << "flushed: OLE let go of the entry";
    EXPECT_EQ(L"outlives its button", ClipboardText());
    std::vector<BYTE> dib;
    {
        mxtest::CTestClipboard clipboard;
        ASSERT_TRUE(clipboard.IsOpen());
        dib = mxtest::ClipboardBytes(CF_DIB);
    }
    EXPECT_TRUE(SameBlock(picture.bytes, dib));
}
