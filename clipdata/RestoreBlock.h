// A stored format read back as a clipboard block, with the clipboard format
// to set it as.
#pragma once
#include <windows.h>

#include "base/Unique.h"

struct RestoreBlock {
    UINT format;
    mx::unique_hglobal block;
};
