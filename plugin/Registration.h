// Self-registration: the class key, the bar's plug-in key and the bar's
// component category.
#pragma once
#include <windows.h>

// S_OK, or SELFREG_E_CLASS when the category could not be registered; keys
// that cannot be written are skipped without failing.
HRESULT RegisterServer();
// Removes the class key tree; the bar's plug-in key stays.
HRESULT UnregisterServer();
