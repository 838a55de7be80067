// Shows a dialog document as the library runs it, writes a picture of the
// dialog window as a PNG file once it is on screen, and closes it.
// Usage: zabshow DOCUMENT PICTURE
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <cstdio>
#include "image/CxImage.h"
#include "base/Unique.h"
#include "tests/zab/CProbeEngine.h"
#include "zab/CZABDialog.h"

namespace {

// Images are PNG files named relative to the document.
class CShowEngine : public CProbeEngine {
public:
    explicit CShowEngine(const WCHAR* document) : CProbeEngine(::GetModuleHandleW(nullptr)) {
        ::lstrcpynW(m_folder, document, MAX_PATH);
        ::PathRemoveFileSpecW(m_folder);
    }
    BOOL DrawImage(HDC dc, int x, int y, int cx, int cy, const WCHAR* name) override {
        WCHAR path[MAX_PATH] = {};
        if (!::PathCombineW(path, m_folder, name)) return FALSE;
        CxImage image;
        if (!image.Load(path, IMAGE_TYPE_PNG)) return FALSE;
        return image.Draw(dc, x, y, cx, cy) != 0;
    }

private:
    WCHAR m_folder[MAX_PATH] = {};
};

const WCHAR* g_picture = nullptr;
CZABDialog* g_dialog = nullptr;
bool g_saved = false;

// What the screen shows of `window`, as a 24-bit picture.
bool SaveWindowPicture(HWND window, const WCHAR* path) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    mx::unique_window_dc screen(nullptr);
    mx::unique_hdc memory(::CreateCompatibleDC(screen.get()));
    mx::unique_hbitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!memory || !bitmap) return false;
    {
        mx::unique_select_object selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    CxImage image;
    if (!image.Create(width, height, 24, IMAGE_TYPE_PNG)) return false;
    BITMAPINFO info = {};
    info.bmiHeader = *static_cast<BITMAPINFOHEADER*>(image.GetDIB());
    if (!::GetDIBits(memory.get(), bitmap.get(), 0, height, image.GetBits(), &info, DIB_RGB_COLORS))
        return false;
    return image.Save(path, IMAGE_TYPE_PNG);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = g_dialog->GetWindow();
    if (!window || !::IsWindowVisible(window)) return;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_saved = SaveWindowPicture(window, g_picture);
    ::EndDialog(window, IDOK);
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count != 3) {
        std::fprintf(stderr, "usage: zabshow DOCUMENT PICTURE\n");
        return 2;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CShowEngine engine(args[1]);
    CZABDialog dialog(nullptr, &engine);
    g_dialog = &dialog;
    g_picture = args[2];
    UINT_PTR timer = ::SetTimer(nullptr, 0, 200, Tick);
    INT_PTR result = dialog.DoModal(::GetModuleHandleW(nullptr), args[1], nullptr);
    ::KillTimer(nullptr, timer);
    ::CoUninitialize();
    ::LocalFree(args);
    if (result != IDOK || !g_saved) {
        std::fprintf(stderr, "zabshow: the document did not show (%d)\n", static_cast<int>(result));
        return 1;
    }
    return 0;
}
