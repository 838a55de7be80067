// The wrapper between the bar and a button: every HandleMessage code, the
// record copying, GetInfo, commands, properties, identity and lifetimes,
// with buttons that either keep the base answers or record what they get.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include <wrl/client.h>
#include "base/ComObject.h"
#include "base/Module.h"
#include "image/CxImage.h"
#include "plugin/CPlugin.h"
#include "tests/plugin/TestHost.h"
#include "tests/plugin/TestSupport.h"
#include "ui/CDvlButton.h"

using Microsoft::WRL::ComPtr;

namespace {

class BaseButton : public CDvlButton {};

// Counts its own references; stands for a history entry's data object.
class CountedObject : public IUnknown {
public:
    LONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return mx::query_interface(riid, ppv, {{IID_IDataObject, this}});
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

class RecordingButton : public CDvlButton {
public:
    std::vector<std::string> log;
    BOOL answer = TRUE;
    bool* destroyed = nullptr;
    CountedObject* data = nullptr;
    BOOL ownLifetime = FALSE;
    DvlCreateChild lastCreate = {};
    DvlCompareChildren lastCompare = {};
    UINT lastNumber = 0, lastArg = 0;
    int lastX = 0, lastY = 0;
    void* lastPointers[2] = {};
    DWORD lastValue = 0;
    SIZE lastSize = {};
    IStream* lastStream = nullptr;
    UINT_PTR lastA = 0, lastB = 0;
    UINT lastZero = 99;

    ~RecordingButton() override {
        if (destroyed) *destroyed = true;
    }
    void Note(const char* what) { log.push_back(what); }

    BOOL GetChildFirst(DVLENUMCHILD* record) override {
        Note("first");
        if (!answer) return FALSE;
        record->item = reinterpret_cast<void*>(0x1234);
        record->next = 1;
        if (record->text) lstrcpyW(record->text, L"clip:1");
        return TRUE;
    }
    BOOL GetChildNext(DVLENUMCHILD* record) override {
        Note("next");
        if (!answer) return FALSE;
        record->item = reinterpret_cast<void*>(0x5678);
        record->next += 1;
        return TRUE;
    }
    BOOL ReleaseChild(void* item) override {
        lastPointers[0] = item;
        Note("release");
        return answer;
    }
    BOOL CreateChildButton(DvlCreateChild* record) override {
        Note("create");
        lastCreate = *record;
        if (answer) record->child = new BaseButton();
        return answer;
    }
    void CompareChildren(DvlCompareChildren* record) override {
        Note("compare");
        lastCompare = *record;
        record->result = 42;
    }
    BOOL GetSortKey(UINT number, DVLSORTKEY* record) override {
        Note("sortkey");
        lastNumber = number;
        if (number != 0) return FALSE;
        record->keyId = 5;
        if (record->text) lstrcpyW(record->text, L"Capture Time");
        return TRUE;
    }
    int MeasureItem(SIZE* size, UINT which) override {
        Note(which ? "measure1" : "measure0");
        size->cx += 10;
        size->cy += 1;
        return 0;
    }
    DWORD GetStyle() override { Note("style"); return 0x30; }
    DWORD GetKindBits() override { Note("kind"); return 0x1805; }
    void GetInfoText(WCHAR* buffer) override { Note("text"); lstrcpyW(buffer, L"info text"); }
    BOOL OnCommandProperties(UINT zero, UINT_PTR a, UINT_PTR b) override { return Command("properties", zero, a, b); }
    BOOL OnCommand2(UINT zero, UINT_PTR a, UINT_PTR b) override { return Command("command2", zero, a, b); }
    BOOL OnCommand2000(UINT zero, UINT_PTR a, UINT_PTR b) override { return Command("command2000", zero, a, b); }
    BOOL OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) override { return Command("delete", zero, a, b); }
    BOOL SaveSettings(IStream* stream) override {
        Note("save");
        lastStream = stream;
        return answer;
    }
    BOOL EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) override {
        Note("edit");
        lastA = a;
        lastB = b;
        return answer;
    }
    DWORD OnMessage41(UINT arg, int x, int y) override { return Point("m41", arg, x, y, 1); }
    DWORD OnMessage42(UINT arg, int x, int y) override { return Point("m42", arg, x, y, 0); }
    DWORD OnMessage43(UINT arg, int x, int y) override { return Point("m43", arg, x, y, 0); }
    BOOL OnMessage4(UINT arg, DVLRECORD4* record) override {
        Note("m4");
        lastArg = arg;
        std::memset(record, 0x11, sizeof(*record));  // padding too: it must not be copied
        record->value0 = 0xA0;
        lstrcpyW(record->text, L"record four");
        record->value524 = 0x524;
        record->value528 = 0x528;
        return answer;
    }
    void OnMessage29(void* first, void* second, UINT arg) override {
        Note("m29");
        lastPointers[0] = first;
        lastPointers[1] = second;
        lastArg = arg;
    }
    void OnMessage30(SIZE* value) override {
        Note("m30");
        lastSize = *value;
        CDvlButton::OnMessage30(value);
    }
    DWORD OnMessage34(void* pointer, DWORD value) override {
        Note("m34");
        lastPointers[0] = pointer;
        lastValue = value;
        return 77;
    }
    DWORD OnMessage35(void* pointer, DWORD value) override {
        Note("m35");
        lastPointers[0] = pointer;
        lastValue = value;
        return 78;
    }
    BOOL OnMessage45(DWORD* value) override {
        Note("m45");
        lastValue = *value;
        *value = 3;
        return answer;
    }
    BOOL OnMessage46(DWORD* value) override {
        Note("m46");
        lastValue = *value;
        *value = 0;
        return answer;
    }
    DWORD OnMessage33(UINT arg, void* out) override {
        Note("m33");
        lastArg = arg;
        lastPointers[0] = out;
        return answer;
    }
    DWORD OnMessage44() override { Note("m44"); return 5; }
    void OnHotKey(UINT id) override { Note("hotkey"); lastArg = id; }
    void CloseUpdateEvent(HANDLE event) override { Note("close"); lastPointers[0] = event; }
    BOOL ReleaseByWrapper() override {
        Note("released by wrapper");
        return ownLifetime;
    }
    BOOL QueryDataInterface(REFIID riid, void** out) override {
        Note("data");
        return data && SUCCEEDED(data->QueryInterface(riid, out));
    }

private:
    BOOL Command(const char* what, UINT zero, UINT_PTR a, UINT_PTR b) {
        Note(what);
        lastZero = zero;
        lastA = a;
        lastB = b;
        return answer;
    }
    DWORD Point(const char* what, UINT arg, int x, int y, DWORD result) {
        Note(what);
        lastArg = arg;
        lastX = x;
        lastY = y;
        return result;
    }
};

// A wrapper around a button of the test's, released at the end.
struct Wrapped {
    CPlugin* plugin;
    explicit Wrapped(CDvlButton* button) : plugin(CPlugin::Create(button)) {}
    ~Wrapped() {
        if (plugin) plugin->Release();
    }
    IDvlButton* operator->() const { return plugin; }
};

template <size_t N>
bool AllBytes(const BYTE (&buffer)[N], BYTE value) {
    for (BYTE b : buffer)
        if (b != value) return false;
    return true;
}

}  // namespace

TEST(Wrapper, UnknownMessageCodesAnswerFalseAndTouchNothing) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    for (UINT code : {0u, 3u, 32u, 37u, 38u, 39u, 47u, 48u, 100u, 0xFFFFFFFFu}) {
        BYTE out[600];
        std::memset(out, 0x5A, sizeof(out));
        EXPECT_EQ(S_FALSE, wrapper->HandleMessage(code, 7, out)) << "code " << code;
        EXPECT_TRUE(AllBytes(out, 0x5A)) << "code " << code;
    }
    EXPECT_TRUE(button->log.empty());
}

TEST(Wrapper, BaseAnswersOfTheValueMessages) {
    Wrapped wrapper(new BaseButton());
    wrapper->SetName(L"Mirabex");
    struct { UINT code; DWORD value; } expected[] = {
        {1, 1}, {5, 1}, {9, 0}, {17, 0}, {19, 0}, {26, 0}, {28, 32}, {44, 0},
    };
    for (auto& row : expected) {
        DWORD out[2] = {0xCDCDCDCD, 0xCDCDCDCD};
        EXPECT_EQ(S_OK, wrapper->HandleMessage(row.code, 3, out)) << "code " << row.code;
        EXPECT_EQ(row.value, out[0]) << "code " << row.code;
        EXPECT_EQ(0xCDCDCDCDu, out[1]) << "code " << row.code;
    }
    HANDLE event = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(S_OK, wrapper->HandleMessage(10, 0, &event));
    EXPECT_EQ(nullptr, event);
    HICON icon = reinterpret_cast<HICON>(1);
    EXPECT_EQ(S_OK, wrapper->HandleMessage(23, 0, &icon));
    EXPECT_EQ(nullptr, icon);

    WCHAR* tip = nullptr;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(22, 0, &tip));
    ASSERT_NE(nullptr, tip);
    EXPECT_STREQ(L"Mirabex", tip);
    ::CoTaskMemFree(tip);
    WCHAR* caption = reinterpret_cast<WCHAR*>(1);
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(24, 0, &caption));
    EXPECT_EQ(nullptr, caption);

    WCHAR name[MAX_PATH] = L"untouched";
    EXPECT_EQ(S_OK, wrapper->HandleMessage(18, 0, name));
    EXPECT_STREQ(L"untouched", name);  // base GetChildId writes nothing
    EXPECT_EQ(S_OK, wrapper->HandleMessage(27, 0, name));
    EXPECT_STREQ(L"Mirabex", name);

    // Messages whose base answer is "no".
    DWORD value = 9;
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(45, 0, &value));
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(46, 0, &value));
    EXPECT_EQ(9u, value);
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(33, 0, &value));
    for (UINT code : {41u, 42u, 43u})
        EXPECT_EQ(S_FALSE, wrapper->HandleMessage(code, 0, reinterpret_cast<void*>(0x00050006)));
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(15, 0, nullptr));
    for (UINT code : {6u, 7u, 8u, 11u, 12u, 25u, 36u, 40u})
        EXPECT_EQ(S_OK, wrapper->HandleMessage(code, 0, nullptr)) << "code " << code;
    // A null out pointer is refused, never written through.
    EXPECT_EQ(E_POINTER, wrapper->HandleMessage(1, 0, nullptr));
    EXPECT_EQ(E_POINTER, wrapper->HandleMessage(16, 0, nullptr));
}

TEST(Wrapper, ClassIdAndNameGoBackAsGiven) {
    Wrapped wrapper(new BaseButton());
    const GUID id = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};
    EXPECT_EQ(S_OK, wrapper->SetClassId(&id));
    GUID out = {};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(2, 0, &out));
    EXPECT_TRUE(IsEqualGUID(id, out));

    std::wstring longName(400, L'x');
    EXPECT_EQ(S_OK, wrapper->SetName(longName.c_str()));
    WCHAR name[MAX_PATH + 8];
    std::fill(std::begin(name), std::end(name), L'#');
    wrapper->HandleMessage(27, 0, name);
    EXPECT_EQ(259, lstrlenW(name));  // cut to the buffer
    EXPECT_EQ(L'#', name[MAX_PATH]);
}

TEST(Wrapper, EnumerationRecords) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    WCHAR text[MAX_PATH] = L"";
    DVLENUMCHILD record = {text, nullptr, 0};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(13, 0, &record));
    EXPECT_EQ(reinterpret_cast<void*>(0x1234), record.item);
    EXPECT_EQ(1u, record.next);
    EXPECT_STREQ(L"clip:1", text);
    EXPECT_EQ(S_OK, wrapper->HandleMessage(14, 0, &record));
    EXPECT_EQ(2u, record.next);
    EXPECT_EQ(reinterpret_cast<void*>(0x5678), record.item);

    // At the end: the index goes to 0, the rest stays.
    button->answer = FALSE;
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(14, 0, &record));
    EXPECT_EQ(0u, record.next);
    EXPECT_EQ(reinterpret_cast<void*>(0x5678), record.item);
    EXPECT_EQ(text, record.text);
    // A refused first leaves the record alone.
    DVLENUMCHILD untouched = {text, reinterpret_cast<void*>(0x9), 5};
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(13, 0, &untouched));
    EXPECT_EQ(5u, untouched.next);
    EXPECT_EQ(reinterpret_cast<void*>(0x9), untouched.item);

    button->answer = TRUE;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(15, 0, reinterpret_cast<void*>(0x77)));
    EXPECT_EQ(reinterpret_cast<void*>(0x77), button->lastPointers[0]);
}

TEST(Wrapper, ChildButtonsAreWrappedAndOutliveTheirParent) {
    LONG before = ModuleObjectCount();
    auto parentButton = new RecordingButton();
    CPlugin* parent = CPlugin::Create(parentButton);
    ASSERT_NE(nullptr, parent);
    DVLCREATECHILD record = {parent, reinterpret_cast<void*>(0x42), nullptr};
    EXPECT_EQ(S_OK, parent->HandleMessage(16, 0, &record));
    EXPECT_EQ(parentButton, parentButton->lastCreate.parent);
    EXPECT_EQ(reinterpret_cast<void*>(0x42), parentButton->lastCreate.item);
    ASSERT_NE(nullptr, record.child);
    ComPtr<IDvlButton> child;
    child = Adopt(record.child);
    // A sub-button is a full wrapper of its own.
    record.child->SetName(L"entry");
    WCHAR name[MAX_PATH] = L"";
    child->HandleMessage(27, 0, name);
    EXPECT_STREQ(L"entry", name);

    // A pointer that is not one of our wrappers never reaches the button.
    CountedObject stranger;
    DVLCREATECHILD foreign = {reinterpret_cast<IDvlButton*>(&stranger), nullptr, nullptr};
    EXPECT_EQ(S_OK, parent->HandleMessage(16, 0, &foreign));
    EXPECT_EQ(nullptr, parentButton->lastCreate.parent);
    ComPtr<IDvlButton> second;
    second = Adopt(foreign.child);

    // Refused: S_FALSE and no wrapper.
    parentButton->answer = FALSE;
    DVLCREATECHILD refused = {parent, nullptr, reinterpret_cast<IDvlButton*>(0x1)};
    EXPECT_EQ(S_FALSE, parent->HandleMessage(16, 0, &refused));
    EXPECT_EQ(reinterpret_cast<IDvlButton*>(0x1), refused.child);

    EXPECT_EQ(0u, parent->Release());
    // Entries the bar still holds keep the library loaded.
    EXPECT_EQ(before + 4, ModuleObjectCount());
    second.Reset();
    child.Reset();
    EXPECT_EQ(before, ModuleObjectCount());
}

TEST(Wrapper, CompareAndSortKeyRecords) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    auto firstButton = new BaseButton();
    auto secondButton = new BaseButton();
    Wrapped first(firstButton), second(secondButton);
    DVLCOMPARE record = {first.plugin, second.plugin, 1, -7};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(20, 0, &record));
    EXPECT_EQ(firstButton, button->lastCompare.first);
    EXPECT_EQ(secondButton, button->lastCompare.second);
    EXPECT_EQ(1u, button->lastCompare.key);
    EXPECT_EQ(-7, button->lastCompare.result);
    EXPECT_EQ(42, record.result);
    EXPECT_EQ(first.plugin, record.first);

    CountedObject stranger;
    DVLCOMPARE foreign = {first.plugin, reinterpret_cast<IDvlButton*>(&stranger), 1, -7};
    EXPECT_EQ(E_INVALIDARG, wrapper->HandleMessage(20, 0, &foreign));
    EXPECT_EQ(-7, foreign.result);

    WCHAR text[MAX_PATH] = L"";
    DVLSORTKEY key = {0, text};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(21, 0, &key));
    EXPECT_EQ(5u, key.keyId);
    EXPECT_STREQ(L"Capture Time", text);
    DVLSORTKEY other = {99, text};
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(21, 1, &other));
    EXPECT_EQ(1u, button->lastNumber);
    EXPECT_EQ(99u, other.keyId);
}

TEST(Wrapper, RecordMessagesCopyOnlyTheNamedFields) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);

    // Message 4: the wrapper's own zeroed record; back only on a yes.
    BYTE record4[sizeof(DVLRECORD4)];
    std::memset(record4, 0x5A, sizeof(record4));
    button->answer = FALSE;
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(4, 8, record4));
    EXPECT_TRUE(AllBytes(record4, 0x5A));
    button->answer = TRUE;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(4, 8, record4));
    EXPECT_EQ(8u, button->lastArg);
    auto r4 = reinterpret_cast<DVLRECORD4*>(record4);
    EXPECT_EQ(0xA0u, r4->value0);
    EXPECT_STREQ(L"record four", r4->text);
    EXPECT_EQ(0x524, r4->value524);
    EXPECT_EQ(0x528u, r4->value528);
    EXPECT_EQ(0x5A, record4[526]);  // padding between the named fields
    EXPECT_EQ(0x5A, record4[527]);

    // Message 29: two pointers and the argument.
    void* pointers[2] = {reinterpret_cast<void*>(0x10), reinterpret_cast<void*>(0x20)};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(29, 6, pointers));
    EXPECT_EQ(pointers[0], button->lastPointers[0]);
    EXPECT_EQ(pointers[1], button->lastPointers[1]);
    EXPECT_EQ(6u, button->lastArg);

    // Message 30: the fields at bytes 12 and 16 only.
    BYTE record30[24];
    std::memset(record30, 0x5A, sizeof(record30));
    *reinterpret_cast<LONG*>(record30 + 12) = 3;
    *reinterpret_cast<LONG*>(record30 + 16) = 4;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(30, 0, record30));
    EXPECT_EQ(3, button->lastSize.cx);
    EXPECT_EQ(4, button->lastSize.cy);
    EXPECT_EQ(20, *reinterpret_cast<LONG*>(record30 + 12));
    EXPECT_EQ(20, *reinterpret_cast<LONG*>(record30 + 16));
    for (int i : {0, 11, 20, 23}) EXPECT_EQ(0x5A, record30[i]) << i;

    // Messages 34 and 35: the answer goes to byte 12.
    DVLRECORD34 record34 = {reinterpret_cast<void*>(0x30), 8, 12};
    EXPECT_EQ(S_OK, wrapper->HandleMessage(34, 0, &record34));
    EXPECT_EQ(8u, button->lastValue);
    EXPECT_EQ(77u, record34.value12);
    EXPECT_EQ(8u, record34.value8);
    record34.value12 = 12;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(35, 0, &record34));
    EXPECT_EQ(12u, button->lastValue);
    EXPECT_EQ(reinterpret_cast<void*>(0x30), button->lastPointers[0]);
    EXPECT_EQ(78u, record34.value12);

    // Messages 45 and 46: written back only on a yes.
    DWORD value = 9;
    button->answer = FALSE;
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(45, 0, &value));
    EXPECT_EQ(9u, value);
    button->answer = TRUE;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(45, 0, &value));
    EXPECT_EQ(9u, button->lastValue);
    EXPECT_EQ(3u, value);
    EXPECT_EQ(S_OK, wrapper->HandleMessage(46, 0, &value));
    EXPECT_EQ(0u, value);

    // Message 44 writes 1 for any non-zero answer.
    DWORD flag = 0;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(44, 0, &flag));
    EXPECT_EQ(1u, flag);
}

TEST(Wrapper, PointMessagesSignExtendBothHalves) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    void* packed = reinterpret_cast<void*>(static_cast<UINT_PTR>(0xFFFE0005u));  // x 5, y -2
    EXPECT_EQ(S_OK, wrapper->HandleMessage(41, 11, packed));
    EXPECT_EQ(5, button->lastX);
    EXPECT_EQ(-2, button->lastY);
    EXPECT_EQ(11u, button->lastArg);
    packed = reinterpret_cast<void*>(static_cast<UINT_PTR>(0x0003FFF0u));  // x -16, y 3
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(42, 0, packed));
    EXPECT_EQ(-16, button->lastX);
    EXPECT_EQ(3, button->lastY);
    EXPECT_EQ(S_FALSE, wrapper->HandleMessage(43, 0, packed));
    EXPECT_EQ("m43", button->log.back());

    EXPECT_EQ(S_OK, wrapper->HandleMessage(25, 0, reinterpret_cast<void*>(2)));
    EXPECT_EQ(2u, button->lastArg);
    EXPECT_EQ(S_OK, wrapper->HandleMessage(12, 0, reinterpret_cast<void*>(0x88)));
    EXPECT_EQ(reinterpret_cast<void*>(0x88), button->lastPointers[0]);
}

TEST(Wrapper, GetInfoAsksInOrderAndMarksTheStyle) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    DVLBUTTONINFO info = {};
    info.mask = DVLINFO_STYLE | DVLINFO_KIND | DVLINFO_SIZE | DVLINFO_TEXT | DVLINFO_SIZE2;
    info.size = {100, 20};
    EXPECT_EQ(S_OK, wrapper->GetInfo(&info));
    std::vector<std::string> order = {"kind", "style", "measure0", "measure1", "text"};
    EXPECT_EQ(order, button->log);
    EXPECT_EQ(0x1805u, info.kind);
    EXPECT_EQ(0xB0u, info.style);
    EXPECT_EQ(120, info.size.cx);
    EXPECT_EQ(22, info.size.cy);
    EXPECT_STREQ(L"info text", info.text);

    button->log.clear();
    DVLBUTTONINFO partial = {};
    partial.mask = DVLINFO_TEXT;
    partial.style = 0x1234;
    EXPECT_EQ(S_OK, wrapper->GetInfo(&partial));
    EXPECT_EQ(std::vector<std::string>{"text"}, button->log);
    EXPECT_EQ(0x1234u, partial.style);
}

TEST(Wrapper, CommandsReachTheirOperationWithZeroFirst) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    struct { UINT code; const char* operation; } rows[] = {
        {1, "properties"}, {2, "command2"}, {0x2000, "command2000"}, {0x4000, "delete"},
    };
    for (auto& row : rows) {
        button->log.clear();
        EXPECT_EQ(S_OK, wrapper->Command(row.code, 5, 6));
        ASSERT_EQ(1u, button->log.size());
        EXPECT_EQ(row.operation, button->log[0]);
        EXPECT_EQ(0u, button->lastZero);
        EXPECT_EQ(5u, button->lastA);
        EXPECT_EQ(6u, button->lastB);
    }
    button->log.clear();
    for (UINT code : {0u, 3u, 0x1000u, 0x4001u}) EXPECT_EQ(S_FALSE, wrapper->Command(code, 0, 0));
    EXPECT_TRUE(button->log.empty());

    // The base answers "no" to every command.
    Wrapped base(new BaseButton());
    for (UINT code : {1u, 2u, 0x2000u, 0x4000u}) EXPECT_EQ(S_FALSE, base->Command(code, 0, 0));
}

TEST(Wrapper, EditPropertiesSavesWhenAccepted) {
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, ::CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    EXPECT_EQ(S_OK, wrapper->EditProperties(stream.Get(), 3, 4));
    EXPECT_EQ((std::vector<std::string>{"edit", "save"}), button->log);
    EXPECT_EQ(stream.Get(), button->lastStream);
    EXPECT_EQ(3u, button->lastA);
    EXPECT_EQ(4u, button->lastB);

    button->log.clear();
    button->answer = FALSE;
    EXPECT_EQ(S_FALSE, wrapper->EditProperties(stream.Get(), 0, 0));
    EXPECT_EQ(std::vector<std::string>{"edit"}, button->log);

    // A button that keeps the base answer still gets its settings saved,
    // and the result is the save's.
    Wrapped base(new BaseButton());
    EXPECT_EQ(S_OK, base->EditProperties(stream.Get(), 0, 0));
}

TEST(Wrapper, ReservedOperationsAndBaseMenuAnswerNo) {
    Wrapped wrapper(new BaseButton());
    EXPECT_EQ(S_FALSE, wrapper->Reserved9(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Reserved10(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Reserved11(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Reserved13(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Reserved14(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Reserved15(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->Execute(1, 2, 3));
    EXPECT_EQ(S_FALSE, wrapper->MenuCommand(1, 0, 0));
    mx::unique_hmenu menu(::CreatePopupMenu());
    EXPECT_EQ(0, wrapper->AddMenuItems(menu.get(), 0, 100, 0));
    EXPECT_EQ(0, ::GetMenuItemCount(menu.get()));
    EXPECT_EQ(S_OK, wrapper->SetLanguage(1033, nullptr));
    EXPECT_EQ(S_OK, wrapper->SetHostFlags(0x55));
    EXPECT_EQ(S_OK, wrapper->LoadSettings(nullptr));
    EXPECT_EQ(S_OK, wrapper->SaveSettings(nullptr));
}

TEST(Wrapper, LanguageModuleDefaultsToTheLibrary) {
    auto button = new BaseButton();
    Wrapped wrapper(button);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    wrapper->SetLanguage(1031, kernel);
    EXPECT_EQ(kernel, button->GetResourceModule());
    wrapper->SetLanguage(1031, nullptr);
    EXPECT_EQ(GetModuleInstance(), button->GetResourceModule());
    wrapper->SetHostFlags(0x55);
    EXPECT_EQ(0x55u, button->GetHostFlags());
}

TEST(Wrapper, IdentityAndTheButtonsDataInterface) {
    auto button = new RecordingButton();
    Wrapped wrapper(button);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(S_OK, wrapper->QueryInterface(IID_PPV_ARGS(&unknown)));
    ComPtr<IDvlButton> self;
    EXPECT_EQ(S_OK, unknown.As(&self));
    EXPECT_EQ(static_cast<IDvlButton*>(wrapper.plugin), self.Get());

    // Nothing to offer: E_NOINTERFACE with a null output.
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, wrapper->QueryInterface(IID_IDataObject, &out));
    EXPECT_EQ(nullptr, out);

    // The button's interface carries exactly the caller's one reference.
    CountedObject data;
    button->data = &data;
    EXPECT_EQ(S_OK, wrapper->QueryInterface(IID_IDataObject, &out));
    EXPECT_EQ(static_cast<IUnknown*>(&data), out);
    EXPECT_EQ(2, data.refs);
    static_cast<IUnknown*>(out)->Release();
    EXPECT_EQ(1, data.refs);
    EXPECT_EQ(E_NOINTERFACE, wrapper->QueryInterface(IID_IStream, &out));
    EXPECT_EQ(1, data.refs);
    EXPECT_EQ(E_POINTER, wrapper->QueryInterface(IID_IUnknown, nullptr));
}

TEST(Wrapper, LifetimeFollowsTheReferenceCount) {
    LONG before = ModuleObjectCount();
    bool destroyed = false;
    auto button = new RecordingButton();
    button->destroyed = &destroyed;
    CPlugin* plugin = CPlugin::Create(button);
    EXPECT_EQ(before + 2, ModuleObjectCount());  // the wrapper and its button
    EXPECT_EQ(2u, plugin->AddRef());
    EXPECT_EQ(1u, plugin->Release());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0u, plugin->Release());
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(before, ModuleObjectCount());

    // The one-slot destructor of the bar's compiler: bit 0 frees.
    destroyed = false;
    button = new RecordingButton();
    button->destroyed = &destroyed;
    plugin = CPlugin::Create(button);
    void* result = plugin->DeletingDestructor(1);
    EXPECT_EQ(static_cast<void*>(static_cast<IDvlButton*>(plugin)), result);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(before, ModuleObjectCount());

    // A button that looks after its own lifetime is told, not deleted.
    destroyed = false;
    button = new RecordingButton();
    button->destroyed = &destroyed;
    button->ownLifetime = TRUE;
    plugin = CPlugin::Create(button);
    plugin->Release();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ("released by wrapper", button->log.back());
    delete button;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(before, ModuleObjectCount());
}

TEST(Wrapper, MessageDrawsTheRecordImageTwoPixelsLower) {
    CxImage image;
    ASSERT_TRUE(image.Load(FixturePath(L"half-cyan.png").c_str(), IMAGE_TYPE_PNG));
    ASSERT_EQ(16u, image.GetWidth());
    Wrapped wrapper(new BaseButton());
    const COLORREF grey = RGB(128, 128, 128);
    CDibCanvas dib(40, 40, PixelOf(grey));
    DVLDRAWIMAGE record = {};
    record.dc = dib.dc();
    record.x = 5;
    record.y = 7;
    record.image = &image;
    EXPECT_EQ(S_OK, wrapper->HandleMessage(31, 0, &record));
    // Own size 16 x 16 at (5, 9): the top half is cyan, the bottom half
    // transparent, nothing outside.
    EXPECT_EQ(0, dib.CountOther({5, 9, 21, 17}, kCyan, kNear)) << Describe(dib.Colour(5, 9));
    EXPECT_EQ(0, dib.CountOther({5, 17, 21, 25}, grey, kNear)) << Describe(dib.Colour(5, 20));
    EXPECT_EQ(0, dib.CountOther({0, 0, 40, 9}, grey, kNear));
    EXPECT_EQ(0, dib.CountOther({21, 0, 40, 40}, grey, kNear));

    record.image = nullptr;
    CDibCanvas empty(40, 40, PixelOf(grey));
    record.dc = empty.dc();
    EXPECT_EQ(S_OK, wrapper->HandleMessage(31, 0, &record));
    EXPECT_EQ(0, empty.CountOther({0, 0, 40, 40}, grey, kNear));
}
