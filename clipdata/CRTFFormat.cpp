#include "clipdata/CRTFFormat.h"

#include <new>

CClipboardFormat* MakeRTFFormat() { return new (std::nothrow) CRTFFormat(); }
