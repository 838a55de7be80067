#include "host/bar/CDropSource.h"

HRESULT CDropSource::QueryInterface(REFIID riid, void** out) {
    return mx::query_interface(riid, out, {{IID_IDropSource, this}});
}

HRESULT CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT CDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
