// The bar's side of dragging an entry out of its menu: the drag goes on
// while the left button is held and is cancelled with Escape.
#pragma once
#include <windows.h>
#include <ole2.h>
#include "base/ComObject.h"

class CDropSource final : public mx::com_object<IDropSource> {
public:
    CDropSource() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    ~CDropSource() override = default;
};
