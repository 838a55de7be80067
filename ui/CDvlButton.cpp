#include "ui/CDvlButton.h"
#include <algorithm>
#include <new>
#include <shellapi.h>
#include <shlwapi.h>
#include "base/Module.h"
#include "base/Unique.h"
#include "clipdata/CClipboardFormat.h"
#include "image/CxImage.h"

CDvlButton::CDvlButton()
    : m_classId(GUID_NULL),
      m_hostFlags(0),
      m_resourceModule(nullptr),
      m_caption{},
      m_container(nullptr),
      m_iconSize(0) {
    ModuleAddObject();
}

CDvlButton::~CDvlButton() {
    DeleteMenuBitmaps();
    ForgetIcons();
    ModuleReleaseObject();
}

BOOL CDvlButton::SetLanguage(UINT languageId, HMODULE module) {
    m_resourceModule = module ? module : GetModuleInstance();
    return TRUE;
}

DWORD CDvlButton::OnMessage9() { return 0; }
BOOL CDvlButton::GetChildFirst(DVLENUMCHILD* record) { return FALSE; }
BOOL CDvlButton::GetChildNext(DVLENUMCHILD* record) { return FALSE; }
BOOL CDvlButton::ReleaseChild(void* item) { return FALSE; }
BOOL CDvlButton::CreateChildButton(DvlCreateChild* record) { return FALSE; }
HANDLE CDvlButton::CreateUpdateEvent() { return nullptr; }
void CDvlButton::OnMessage11(void* out) {}
void CDvlButton::CloseUpdateEvent(HANDLE event) {}
DWORD CDvlButton::TakeChangeFlags() { return 0; }
void CDvlButton::GetChildId(WCHAR* buffer) {}
void CDvlButton::CompareChildren(DvlCompareChildren* record) {}
BOOL CDvlButton::GetSortKey(UINT number, DVLSORTKEY* record) { return FALSE; }
int CDvlButton::MeasureItem(SIZE* size, UINT which) { return 0; }
DWORD CDvlButton::GetStyle() { return 0; }
BOOL CDvlButton::OnCommandProperties(UINT zero, UINT_PTR a, UINT_PTR b) { return FALSE; }
BOOL CDvlButton::OnCommand2(UINT zero, UINT_PTR a, UINT_PTR b) { return FALSE; }
BOOL CDvlButton::OnCommand2000(UINT zero, UINT_PTR a, UINT_PTR b) { return FALSE; }
BOOL CDvlButton::OnCommandDelete(UINT zero, UINT_PTR a, UINT_PTR b) { return FALSE; }

void CDvlButton::GetName(WCHAR* buffer) {
    if (buffer) ::lstrcpynW(buffer, m_caption, CaptionLength);
}

void CDvlButton::OnMessage40() {}
DWORD CDvlButton::OnMessage44() { return 0; }
void CDvlButton::OnMessage8() {}
void CDvlButton::OnMessage7() {}
void CDvlButton::OnMessage6(void* out) {}
DWORD CDvlButton::OnMessage1() { return 1; }

void CDvlButton::GetClassId(GUID* out) {
    if (out) *out = m_classId;
}

WCHAR* CDvlButton::GetTipText(UINT arg) {
    size_t bytes = (::lstrlenW(m_caption) + 1) * sizeof(WCHAR);
    auto copy = static_cast<WCHAR*>(::CoTaskMemAlloc(bytes));
    if (copy) ::CopyMemory(copy, m_caption, bytes);
    return copy;
}

WCHAR* CDvlButton::GetTipCaption(UINT arg) { return nullptr; }
DWORD CDvlButton::GetKindBits() { return 0; }

void CDvlButton::GetInfoText(WCHAR* buffer) {
    if (buffer) ::lstrcpynW(buffer, m_caption, CaptionLength);
}

DWORD CDvlButton::OnMessage19() { return 0; }
HICON CDvlButton::GetLargeIcon(UINT arg) { return nullptr; }
BOOL CDvlButton::SaveSettings(IStream* stream) { return TRUE; }
BOOL CDvlButton::LoadSettings(IStream* stream) { return TRUE; }

void CDvlButton::SetClassId(const GUID* id) {
    if (id) m_classId = *id;
}

void CDvlButton::SetHostFlags(DWORD flags) { m_hostFlags = flags; }

DWORD CDvlButton::DrawButtonIcon(HDC dc, const RECT* rect, DWORD flags) {
    if (!dc || !rect) return 0;
    POINT at = {rect->left, rect->top};
    int size = 16;
    if (m_container) {
        POINT offset = {0, 0};
        m_container->GetIconOffset(&offset, rect, flags);
        at.x += offset.x;
        at.y += offset.y;
        DWORD iconFlags = m_container->GetIconFlags();
        if (iconFlags & 0x20000) return iconFlags;
        size = static_cast<int>(m_container->GetIconSize());
    }
    if (LoadPngIcon()) {
        m_pngIcon->Draw(dc, at.x, at.y, size, size);
    } else if (LoadIconAtSize(size)) {
        ::DrawIconEx(dc, at.x, at.y, m_icon.get(), size, size, 0, nullptr, DI_NORMAL);
    }
    return 0;
}

BOOL CDvlButton::Reserved9(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
BOOL CDvlButton::Reserved10(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
BOOL CDvlButton::Reserved11(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
BOOL CDvlButton::EditProperties(IStream* stream, UINT_PTR a, UINT_PTR b) { return TRUE; }
BOOL CDvlButton::Reserved13(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
BOOL CDvlButton::Reserved14(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
BOOL CDvlButton::Reserved15(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }
DWORD CDvlButton::OnMessage43(UINT arg, int x, int y) { return 0; }
DWORD CDvlButton::OnMessage41(UINT arg, int x, int y) { return 0; }
DWORD CDvlButton::OnMessage42(UINT arg, int x, int y) { return 0; }
DWORD CDvlButton::OnMessage33(UINT arg, void* out) { return 0; }
BOOL CDvlButton::Execute(UINT_PTR a, UINT_PTR b, UINT_PTR c) { return FALSE; }

UINT CDvlButton::AddMenuItems(HMENU menu, UINT position, UINT firstId, UINT more) {
    DeleteMenuBitmaps();
    return 0;
}

BOOL CDvlButton::MenuCommand(UINT number, UINT_PTR a, UINT_PTR b) { return FALSE; }

void CDvlButton::GetIconLocation(WCHAR* buffer) {
    if (buffer && m_iconLocation) ::lstrcpynW(buffer, m_iconLocation.get(), MAX_PATH);
}

BOOL CDvlButton::SetIconLocation(const WCHAR* location) {
    ForgetIcons();
    StoreIconLocation(location);
    if (m_container) {
        m_container->NotifyChanged();
        m_container->Invalidate();
    }
    return TRUE;
}

void CDvlButton::SetName(const WCHAR* caption) {
    ::lstrcpynW(m_caption, caption ? caption : L"", CaptionLength);
}

void CDvlButton::SetContainer(CDvlContainer* container) { m_container = container; }
void CDvlButton::OnHotKey(UINT id) {}
BOOL CDvlButton::OnMessage4(UINT arg, DVLRECORD4* record) { return FALSE; }
DWORD CDvlButton::OnMessage5() { return 1; }
DWORD CDvlButton::OnMessage26() { return 0; }
DWORD CDvlButton::OnMessage28(UINT arg) { return 32; }
void CDvlButton::OnMessage29(void* first, void* second, UINT arg) {}

void CDvlButton::OnMessage30(SIZE* value) {
    value->cx = 20;
    value->cy = 20;
}

void CDvlButton::DrawRecordImage(const DVLDRAWIMAGE* record) {
    auto image = static_cast<CxImage*>(record->image);
    if (image) image->Draw(record->dc, record->x, record->y + 2);
}

BOOL CDvlButton::LoadIconAtSize(int pixels) {
    if (m_icon && m_iconSize == pixels) return TRUE;
    SetCachedIcon(nullptr, 0);
    if (!m_iconLocation || !m_iconLocation[0]) return FALSE;
    WCHAR path[MAX_PATH];
    ::lstrcpynW(path, m_iconLocation.get(), MAX_PATH);
    int index = SplitIconIndex(path);
    WCHAR full[MAX_PATH];
    if (!ResolveAgainstBaseFolder(path, full)) return FALSE;
    HICON icon = ExtractIconAtSize(full, index, pixels);
    if (icon) SetCachedIcon(icon, pixels);
    return m_icon ? TRUE : FALSE;
}

BOOL CDvlButton::LoadPngIcon() {
    if (m_pngIcon) return TRUE;
    if (!m_iconLocation) return FALSE;
    if (::lstrcmpiW(::PathFindExtensionW(m_iconLocation.get()), L".png") != 0) return FALSE;
    WCHAR full[MAX_PATH];
    if (!ResolveAgainstBaseFolder(m_iconLocation.get(), full)) return FALSE;
    std::unique_ptr<CxImage> image(new (std::nothrow) CxImage(IMAGE_TYPE_PNG));
    if (image && image->Load(full, IMAGE_TYPE_PNG) && image->IsValid()) m_pngIcon = std::move(image);
    return m_pngIcon != nullptr;
}

DWORD CDvlButton::OnMessage34(void* pointer, DWORD value) { return 0; }
DWORD CDvlButton::OnMessage35(void* pointer, DWORD value) { return 0; }
void CDvlButton::OnMessage36() {}
BOOL CDvlButton::OnMessage45(DWORD* value) { return FALSE; }
BOOL CDvlButton::OnMessage46(DWORD* value) { return FALSE; }
BOOL CDvlButton::ReleaseByWrapper() { return FALSE; }
BOOL CDvlButton::QueryDataInterface(REFIID riid, void** out) { return FALSE; }

BOOL CDvlButton::StoreIconLocation(const WCHAR* location) {
    m_iconLocation.reset();
    if (!location) return TRUE;
    size_t length = ::lstrlenW(location) + 1;
    m_iconLocation.reset(new (std::nothrow) WCHAR[length]);
    if (!m_iconLocation) return FALSE;
    ::CopyMemory(m_iconLocation.get(), location, length * sizeof(WCHAR));
    return TRUE;
}

void CDvlButton::SetCachedIcon(HICON icon, int pixels) {
    if (icon != m_icon.get()) m_icon.reset(icon);
    m_iconSize = icon ? pixels : 0;
}

// The bitmap is owned from the start, so it goes even when it cannot be kept.
BOOL CDvlButton::KeepMenuBitmap(HGDIOBJ bitmap) {
    mx::unique_hgdiobj owned(bitmap);
    try {
        m_menuBitmaps.push_back(std::move(owned));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    return TRUE;
}

void CDvlButton::DeleteMenuBitmaps() {
    m_menuBitmaps.clear();
}

BOOL CDvlButton::ResolveAgainstBaseFolder(const WCHAR* path, WCHAR* full) {
    full[0] = 0;
    if (::PathIsRelativeW(path) && m_container) {
        WCHAR folder[MAX_PATH] = {};
        m_container->GetBaseFolder(0, folder);
        folder[MAX_PATH - 1] = 0;
        if (folder[0]) {
            // A path cut short would name some other file.
            size_t length = ::lstrlenW(folder);
            bool slash = folder[length - 1] == L'\\' || folder[length - 1] == L'/';
            if (length + (slash ? 0 : 1) + ::lstrlenW(path) >= MAX_PATH) return FALSE;
            ::lstrcpyW(full, folder);
            if (!slash) ::lstrcatW(full, L"\\");
            ::lstrcatW(full, path);
            return TRUE;
        }
    }
    ::lstrcpynW(full, path, MAX_PATH);
    return TRUE;
}

void CDvlButton::ForgetIcons() {
    SetCachedIcon(nullptr, 0);
    m_pngIcon.reset();
}

int CDvlButton::SplitIconIndex(WCHAR* location) {
    if (!location) return 0;
    int index = 0;
    WCHAR* comma = ::StrRChrW(location, nullptr, L',');
    if (comma) {
        // Only a number after the last comma is an index: "a,b.ico" is a path.
        WCHAR* p = comma + 1;
        while (*p == L' ') ++p;
        WCHAR* digits = (*p == L'-' || *p == L'+') ? p + 1 : p;
        WCHAR* end = digits;
        while (*end >= L'0' && *end <= L'9') ++end;
        WCHAR* rest = end;
        while (*rest == L' ') ++rest;
        if (end > digits && *rest == 0) {
            index = static_cast<int>(::wcstol(p, nullptr, 10));
            *comma = 0;
        }
    }
    ::StrTrimW(location, L" ");
    ::PathUnquoteSpacesW(location);
    return index;
}

namespace {

const WCHAR kShellIconsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";

// False when the expansion does not fit: a shortened path names another file.
bool ExpandPath(const WCHAR* path, WCHAR* out) {
    DWORD needed = ::ExpandEnvironmentStringsW(path, out, MAX_PATH);
    return needed > 0 && needed <= MAX_PATH;
}

// The administrator's replacement for one of shell32's icons, when it names
// a file that exists.
bool ShellIconOverride(const WCHAR* path, int index, WCHAR* file, int* fileIndex) {
    if (::lstrcmpiW(::PathFindFileNameW(path), L"shell32.dll") != 0) return false;
    mx::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kShellIconsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    WCHAR name[16];
    ::wsprintfW(name, L"%d", index);
    WCHAR value[MAX_PATH + 1] = {};
    DWORD type = 0;
    DWORD bytes = MAX_PATH * sizeof(WCHAR);
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    int overrideIndex = CDvlButton::SplitIconIndex(value);
    if (!ExpandPath(value, file) || !::PathFileExistsW(file)) return false;
    *fileIndex = overrideIndex;
    return true;
}

HICON ExtractWithPrivateApi(const WCHAR* path, int index, int pixels) {
    using PrivateExtractIconsFn = UINT(WINAPI*)(LPCWSTR, int, int, int, HICON*, UINT*, UINT, UINT);
    mx::unique_hmodule user32(::LoadLibraryW(L"user32.dll"));
    if (!user32) return nullptr;
    auto extract = reinterpret_cast<PrivateExtractIconsFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32.get(), "PrivateExtractIconsW")));
    if (!extract) return nullptr;
    HICON icon = nullptr;
    UINT id = 0;
    UINT count = extract(path, index, pixels, pixels, &icon, &id, 1, LR_LOADFROMFILE);
    if (count == 0 || count == 0xFFFFFFFF) return nullptr;
    return icon;
}

struct GroupSearch {
    int skip;
    bool found;
    LPCWSTR id;
    WCHAR name[MAX_PATH];
};

BOOL CALLBACK FindGroupAt(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
    auto search = reinterpret_cast<GroupSearch*>(param);
    if (search->skip-- > 0) return TRUE;
    if (IS_INTRESOURCE(name)) {
        search->id = name;
    } else {
        ::lstrcpynW(search->name, name, MAX_PATH);
        search->id = search->name;
    }
    search->found = true;
    return FALSE;
}

const BYTE* LockedResource(HMODULE module, LPCWSTR name, LPCWSTR type, DWORD* size) {
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return nullptr;
    HGLOBAL loaded = ::LoadResource(module, found);
    *size = ::SizeofResource(module, found);
    return loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
}

HICON IconFromGroup(HMODULE module, LPCWSTR group, int pixels) {
    DWORD size = 0;
    const BYTE* directory = LockedResource(module, group, RT_GROUP_ICON, &size);
    if (!directory || size < 6) return nullptr;
    int id = ::LookupIconIdFromDirectoryEx(const_cast<BYTE*>(directory), TRUE, pixels, pixels,
                                           LR_DEFAULTCOLOR);
    if (id <= 0) return nullptr;
    const BYTE* bits = LockedResource(module, MAKEINTRESOURCEW(id), RT_ICON, &size);
    if (!bits || !size) return nullptr;
    return ::CreateIconFromResourceEx(const_cast<BYTE*>(bits), size, TRUE, 0x30000, pixels, pixels,
                                      LR_DEFAULTCOLOR);
}

HICON LoadFromModule(const WCHAR* path, int index, int pixels) {
    mx::unique_hmodule module(
        ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    if (index < 0) return IconFromGroup(module.get(), MAKEINTRESOURCEW(-index), pixels);
    GroupSearch search = {index, false, nullptr, {}};
    ::EnumResourceNamesW(module.get(), RT_GROUP_ICON, FindGroupAt, reinterpret_cast<LONG_PTR>(&search));
    return search.found ? IconFromGroup(module.get(), search.id, pixels) : nullptr;
}

HICON LoadIconFile(const WCHAR* path, int pixels) {
    return static_cast<HICON>(::LoadImageW(nullptr, path, IMAGE_ICON, pixels, pixels, LR_LOADFROMFILE));
}

HICON ExtractLargeOrSmall(const WCHAR* path, int index, int pixels) {
    HICON largeIcon = nullptr;
    HICON smallIcon = nullptr;
    // On a missing file Wine answers UINT_MAX and leaves the handles unset.
    UINT count = ::ExtractIconExW(path, index, &largeIcon, &smallIcon, 1);
    if (count == 0 || count == UINT_MAX) return nullptr;
    bool wantSmall = pixels < 32;
    mx::unique_hicon preferred(wantSmall ? smallIcon : largeIcon);
    mx::unique_hicon other(wantSmall ? largeIcon : smallIcon);
    return preferred ? preferred.release() : other.release();
}

}  // namespace

HICON CDvlButton::ExtractIconAtSize(const WCHAR* path, int index, int pixels) {
    if (!path || !path[0] || pixels <= 0) return nullptr;
    WCHAR file[MAX_PATH];
    if (!ShellIconOverride(path, index, file, &index) && !ExpandPath(path, file)) return nullptr;
    HICON icon = ExtractWithPrivateApi(file, index, pixels);
    if (!icon) icon = LoadFromModule(file, index, pixels);
    if (!icon) icon = LoadIconFile(file, pixels);
    if (!icon) icon = ExtractLargeOrSmall(file, index, pixels);
    return icon;
}

int CDvlButton::BarIconSize() const {
    return m_container ? static_cast<int>(m_container->GetIconSize()) : 16;
}

COLORREF CDvlButton::BarTextStyle() const {
    return m_container ? m_container->GetTextStyle() : NO_GLOW;
}

CDvlButton::EntryPlace CDvlButton::BarEntryPlace(const RECT* rect, DWORD flags) const {
    POINT offset = {0, 0};
    EntryPlace place = {0, 0, {0, 0, 0, 0}, 0};
    if (m_container) {
        m_container->GetIconOffset(&offset, rect, flags);
        m_container->GetItemMargins(&place.margins);
        place.textColour = m_container->GetEntryTextColor();
    }
    place.x = rect->left + std::min<LONG>(offset.x, place.margins.left);
    place.y = rect->top + std::min<LONG>(offset.y, place.margins.top);
    return place;
}
