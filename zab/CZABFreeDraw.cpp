#include "zab/CZABFreeDraw.h"

#include <cstddef>
#include "zab/CZABEngine.h"
#include "zab/ZABPaint.h"

// The record's layout is what receivers read: pointer-sized fields, the code
// padded to 8 bytes, then the context and the two rectangles.
static_assert(offsetof(ZABFreeDrawPaint, header.code) == 2 * sizeof(void*), "code after two pointers");
static_assert(offsetof(ZABFreeDrawPaint, dc) == 3 * sizeof(void*), "context after the padded code");
static_assert(offsetof(ZABFreeDrawPaint, client) == 4 * sizeof(void*), "client rectangle");
static_assert(offsetof(ZABFreeDrawPaint, paint) == 4 * sizeof(void*) + sizeof(RECT), "paint rectangle");

namespace {

const WCHAR kClassName[] = L"ZAB_FREEDRAW_CLASS";

}  // namespace

CZABFreeDraw::CZABFreeDraw(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_class(engine ? engine->GetInstance() : nullptr,
              {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE,
               ZABWindowProc<CZABFreeDraw, &CZABFreeDraw::Handle>}) {}

CZABFreeDraw::~CZABFreeDraw() = default;

BOOL CZABFreeDraw::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"freedraw", type, out);
}

// Measured before the window exists, on the dialog that holds it.
BOOL CZABFreeDraw::Create() {
    SetMinimumInUnits(14, 14);
    CreateDrawnControl(m_class, this, L"", 0);
    return CZABElement::Create();
}

LRESULT CZABFreeDraw::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_PAINT: {
        mx::unique_paint_dc paint(window);
        if (paint) Notify(paint.get(), paint.area());
        return 1;
    }
    case WM_PRINTCLIENT: {
        RECT client = {};
        ::GetClientRect(window, &client);
        Notify(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_DESTROY:
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CZABFreeDraw::Notify(HDC dc, const RECT& area) {
    ZABFreeDrawPaint record = {};
    record.header.hwndFrom = m_window;
    record.header.idFrom = 0;
    record.header.code = kPaintCode;
    record.dc = dc;
    ::GetClientRect(m_window, &record.client);
    record.paint = area;
    ::SendMessageW(::GetParent(m_window), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
}
