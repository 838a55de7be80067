#include "zab/CZABPicture.h"

#include "zab/CZABEngine.h"
#include "zab/ZABPaint.h"

namespace {

const WCHAR kClassName[] = L"ZAB_PICTURE_CLASS";

}  // namespace

CZABPicture::CZABPicture(CZABElement* parent, CZABEngine* engine)
    : CZABElement(parent, engine),
      m_class(engine ? engine->GetInstance() : nullptr,
              {kClassName, CS_HREDRAW | CS_VREDRAW, IDC_IBEAM, COLOR_BTNFACE,
               ZABWindowProc<CZABPicture, &CZABPicture::Handle>}) {}

CZABPicture::~CZABPicture() = default;

BOOL CZABPicture::QueryElement(const WCHAR* type, CZABElement** out) {
    return AnswerQuery(L"picture", type, out);
}

BOOL CZABPicture::LoadFromXml(IXMLDOMNode* node) {
    CZABElement::LoadFromXml(node);
    m_pic = CZABEngine::GetAttrString(node, L"pic");
    m_picWidth = CZABEngine::GetAttrInt(node, L"picWidth", 0);
    m_picHeight = CZABEngine::GetAttrInt(node, L"picHeight", 0);
    return TRUE;
}

BOOL CZABPicture::Create() {
    CreateDrawnControl(m_class, this, L"", 0);
    SetMinimum(m_picWidth, m_picHeight);
    return CZABElement::Create();
}

LRESULT CZABPicture::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ZABAnswerPaint(window, message, wParam, [this](HDC dc) { Paint(dc); })) return 0;
    switch (message) {
    case WM_CREATE:
        m_window = window;
        return 0;
    case WM_DESTROY:
        m_window = nullptr;
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CZABPicture::Paint(HDC dc) {
    if (m_engine && m_pic) m_engine->DrawImage(dc, 0, 0, m_picWidth, m_picHeight, m_pic.get());
}
