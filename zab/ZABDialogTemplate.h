// The in-memory dialog template of a dialog or tab panel: an extended
// template holding no controls, with the stock GUI font's description.
#pragma once
#include <windows.h>
#include "base/Unique.h"

// A new block sized for what it holds, however long the caption and the
// face name; none when memory runs out. `cx` and `cy` are dialog units.
mx::unique_hglobal ZABBuildDialogTemplate(DWORD style, DWORD exStyle, int cx, int cy,
                                          const WCHAR* caption);
