// The bar's side of dragging an entry out of its menu: the drag goes on
// while the left button is held and is cancelled with Escape.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <atomic>

class CDropSource final : public IDropSource {
public:
    CDropSource() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    ~CDropSource() = default;
    std::atomic<ULONG> m_refs{1};
};
