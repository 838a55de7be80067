#include "CFakePlugin.h"

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using ServerFn = HRESULT(STDAPICALLTYPE*)();

}  // namespace

CFakePlugin::CFakePlugin() {
    m_module = LoadLibraryW(L"fakebutton.dll");
    if (!m_module) return;
    m_reset = Export<FakeResetFn>(m_module, "FakeReset");
    m_log = Export<FakeLogFn>(m_module, "FakeLog");
    m_loaded = Export<FakeLoadedFn>(m_module, "FakeLoaded");
    m_live = Export<FakeLiveObjectsFn>(m_module, "FakeLiveObjects");
    auto registerServer = Export<ServerFn>(m_module, "DllRegisterServer");
    m_registered = m_reset && m_log && m_loaded && m_live && registerServer &&
                   registerServer() == S_OK;
    if (m_reset) m_reset(0, 3, FALSE);
}

CFakePlugin::~CFakePlugin() {
    if (!m_module) return;
    auto unregisterServer = Export<ServerFn>(m_module, "DllUnregisterServer");
    if (unregisterServer) unregisterServer();
    FreeLibrary(m_module);
}

void CFakePlugin::Reset(WORD hotkey, UINT children, bool failSave) {
    m_reset(hotkey, children, failSave ? TRUE : FALSE);
}

std::vector<std::wstring> CFakePlugin::Log() const {
    int length = m_log(nullptr, 0);
    std::wstring text(length + 1, L'\0');
    m_log(&text[0], length + 1);
    text.resize(length);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::vector<BYTE> CFakePlugin::Loaded() const {
    std::vector<BYTE> bytes(m_loaded(nullptr, 0));
    m_loaded(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

LONG CFakePlugin::LiveObjects() const { return m_live(); }
