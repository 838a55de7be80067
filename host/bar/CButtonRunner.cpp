#include "host/bar/CButtonRunner.h"
#include <utility>
#include <vector>
#include "host/bar/CGuidText.h"
#include "host/bar/CHostClassKey.h"
#include "host/bar/CPluginLocator.h"
#include "host/bar/CTextOut.h"

CButtonRunner::CButtonRunner(HostOptions options) : m_options(std::move(options)) {}

CButtonRunner::~CButtonRunner() {
    if (m_button) Stop();
}

std::wstring CButtonRunner::ProgramPath() {
    std::vector<WCHAR> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        if (buffer.size() >= 32768) return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring CButtonRunner::FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

HRESULT CButtonRunner::Fail(HRESULT hr, const std::wstring& what) {
    m_error = CTextOut::Format(L"%ls (0x%08lX)", what.c_str(), static_cast<unsigned long>(hr));
    return hr;
}

HRESULT CButtonRunner::FindClass() {
    if (m_options.hasClsid) {
        m_clsid = m_options.clsid;
        return S_OK;
    }
    bool inCategory = false;
    HRESULT hr = CPluginLocator::Find(m_clsid, inCategory);
    if (FAILED(hr))
        return Fail(hr, L"no plug-in is registered under HKLM\\" +
                            std::wstring(CPluginLocator::kPluginsKey));
    if (!inCategory)
        CTextOut::Err(L"warning: " + CGuidText::Format(m_clsid) +
                      L" does not declare the Dravelle button category");
    return S_OK;
}

HRESULT CButtonRunner::CreateButton() {
    HRESULT hr = CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDvlButton,
                                  reinterpret_cast<void**>(m_button.ReleaseAndGetAddressOf()));
    if (FAILED(hr) || !m_button) {
        m_button.Reset();
        return Fail(FAILED(hr) ? hr : E_NOINTERFACE,
                    L"cannot create the button " + CGuidText::Format(m_clsid));
    }
    return S_OK;
}

HRESULT CButtonRunner::Identify() {
    m_name = m_options.hasName ? m_options.name : CPluginLocator::FriendlyName(m_clsid);
    if (m_name.empty()) m_name = L"Mirabex";
    m_button->SetClassId(&m_clsid);
    m_button->SetName(m_name.c_str());
    m_button->SetLanguage(m_options.language, nullptr);
    if (m_options.hasIconLocation) m_button->SetIconLocation(m_options.iconLocation.c_str());
    return S_OK;
}

HRESULT CButtonRunner::LoadSettings() {
    std::wstring path = m_options.settingsPath.empty() ? CSettingsFile::DefaultPath(m_clsid)
                                                        : m_options.settingsPath;
    m_settings = CSettingsFile(path);
    std::vector<BYTE> bytes;
    HRESULT hr = path.empty() ? E_FAIL : m_settings.Read(bytes);
    m_settingsReadable = SUCCEEDED(hr);
    if (FAILED(hr)) {
        // The button starts from nothing, and the file it could not read is left alone.
        CTextOut::Err(CTextOut::Format(L"warning: cannot read settings %ls (0x%08lX); they will not be saved",
                                       path.c_str(), static_cast<unsigned long>(hr)));
        bytes.clear();
    }
    Microsoft::WRL::ComPtr<IStream> stream;
    hr = CSettingsFile::MakeStream(bytes, &stream);
    if (FAILED(hr)) return Fail(hr, L"cannot make the settings stream");
    hr = m_button->LoadSettings(stream.Get());
    if (hr != S_OK)
        CTextOut::Err(CTextOut::Format(L"warning: LoadSettings answered 0x%08lX",
                                       static_cast<unsigned long>(hr)));
    return S_OK;
}

HRESULT CButtonRunner::Start() {
    m_error.clear();
    std::wstring program = ProgramPath();
    HRESULT hr = CHostClassKey::Register(program);
    if (FAILED(hr)) CTextOut::Err(L"warning: cannot register the bar's class key");
    hr = FindClass();
    if (FAILED(hr)) return hr;
    if (!m_bar.Create(L"Dravelle")) return Fail(HRESULT_FROM_WIN32(GetLastError()), L"cannot create the bar window");
    *m_site.ReleaseAndGetAddressOf() =
        new (std::nothrow) CDvlHostSite(m_options, m_bar.Handle(), FolderOf(program));
    if (!m_site) return Fail(E_OUTOFMEMORY, L"out of memory");
    return Attach();
}

void CButtonRunner::ConnectBar() {
    m_menu.reset(new CHistoryMenu(m_button.Get(), m_site.Get()));
    m_menus.reset(new CBarMenus(*this));
    m_bar.onHotKey = [this](UINT id) {
        if (m_button) m_button->HandleMessage(25, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
    };
    m_bar.onPaint = [this](HDC dc, const RECT& client) { PaintBar(dc, client); };
    m_bar.onMessage = [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return m_menus->OnMessage(message, wParam, lParam, result);
    };
    m_bar.onActivateMenu = [this]() {
        if (m_interactive)
            m_menus->ShowHistory(m_menus->BelowButton());
        else
            OpenMenu();
    };
    m_bar.onClick = [this]() {
        if (m_interactive) m_menus->ShowHistory(m_menus->BelowButton());
    };
    m_bar.onRightClick = [this]() {
        POINT at;
        if (m_interactive && GetCursorPos(&at)) m_menus->ShowButtonContext(at);
    };
}

void CButtonRunner::DisconnectBar() {
    m_bar.onHotKey = nullptr;
    m_bar.onPaint = nullptr;
    m_bar.onMessage = nullptr;
    m_bar.onActivateMenu = nullptr;
    m_bar.onClick = nullptr;
    m_bar.onRightClick = nullptr;
    // The entries go before the button that made them.
    m_menus.reset();
    m_menu.reset();
}

// Everything one button's life on the bar begins with.
HRESULT CButtonRunner::Attach() {
    HRESULT hr = CreateButton();
    if (FAILED(hr)) return hr;
    ConnectBar();
    m_button->SetSite(m_site.Get());
    Identify();
    hr = LoadSettings();
    if (FAILED(hr)) {
        DisconnectBar();
        m_button.Reset();
        return hr;
    }
    HANDLE event = nullptr;
    if (m_button->HandleMessage(10, 0, &event) == S_OK) m_updateEvent = event;
    m_historyChanged = false;
    return S_OK;
}

HRESULT CButtonRunner::Restart() {
    if (!m_site) return Fail(E_UNEXPECTED, L"the bar was never started");
    Stop();
    m_error.clear();
    return Attach();
}

HRESULT CButtonRunner::SaveSettings() {
    Microsoft::WRL::ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = m_button->SaveSettings(stream.Get());
    // A button that reports failure may have written half its settings: keep the old ones.
    if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
    std::vector<BYTE> bytes;
    hr = CSettingsFile::ReadStream(stream.Get(), bytes);
    if (FAILED(hr)) return hr;
    return m_settings.Write(bytes);
}

HRESULT CButtonRunner::Stop() {
    if (!m_button) return S_FALSE;
    HRESULT hr = S_FALSE;
    if (!m_options.noSave && m_settingsReadable) {
        hr = SaveSettings();
        if (FAILED(hr))
            CTextOut::Err(CTextOut::Format(L"warning: settings not saved to %ls (0x%08lX)",
                                           m_settings.Path().c_str(),
                                           static_cast<unsigned long>(hr)));
    }
    if (m_updateEvent) {
        m_button->HandleMessage(12, 0, m_updateEvent);
        m_updateEvent = nullptr;
    }
    DisconnectBar();
    m_button.Reset();
    if (m_site) m_site->HotKeys().Clear();
    CoFreeUnusedLibraries();
    return hr;
}

void CButtonRunner::Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void CButtonRunner::Run(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!m_bar.Closed()) {
        DWORD wait = INFINITE;
        if (milliseconds != INFINITE) {
            ULONGLONG now = GetTickCount64();
            if (now >= end) break;
            wait = static_cast<DWORD>(end - now);
        }
        DWORD count = m_updateEvent ? 1 : 0;
        DWORD rc = MsgWaitForMultipleObjects(count, &m_updateEvent, FALSE, wait, QS_ALLINPUT);
        if (count && rc == WAIT_OBJECT_0) {
            m_historyChanged = true;
            InvalidateRect(m_bar.Handle(), nullptr, TRUE);
        }
        Pump();
    }
}

bool CButtonRunner::TakeHistoryChanged() {
    bool changed = m_historyChanged;
    m_historyChanged = false;
    if (m_updateEvent && WaitForSingleObject(m_updateEvent, 0) == WAIT_OBJECT_0) changed = true;
    return changed;
}

HFONT CButtonRunner::MenuFont() const { return m_site->MenuFont(); }

CHistoryMenu& CButtonRunner::OpenMenu() {
    m_menu->Refresh(TakeHistoryChanged());
    return *m_menu;
}

HRESULT CButtonRunner::Choose(size_t index) {
    if (index >= m_menu->Count()) return E_INVALIDARG;
    // Hold a reference: the entry may change the history while it runs.
    Microsoft::WRL::ComPtr<IDvlButton> entry = m_menu->Button(index);
    m_site->HoldActivation(true);
    HRESULT hr = entry->Execute(0, 0, 0);
    m_site->HoldActivation(false);
    return hr;
}

std::wstring CButtonRunner::Caption() {
    DVLBUTTONINFO info{};
    info.mask = DVLINFO_TEXT;
    if (!m_button || FAILED(m_button->GetInfo(&info))) return std::wstring();
    info.text[MAX_PATH - 1] = L'\0';
    return info.text;
}

void CButtonRunner::PaintBar(HDC dc, const RECT& client) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (!m_button) return;
    LONG cell = static_cast<LONG>(m_options.iconSize) + 8;
    RECT icon = {client.left + 4, client.top + (client.bottom - client.top - cell) / 2, 0, 0};
    icon.right = icon.left + cell;
    icon.bottom = icon.top + cell;
    m_button->DrawButtonIcon(dc, &icon, 0);
    std::wstring caption = Caption();
    RECT text = {icon.right + 6, client.top, client.right - 4, client.bottom};
    HGDIOBJ old = SelectObject(dc, m_site->MenuFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old);
}
