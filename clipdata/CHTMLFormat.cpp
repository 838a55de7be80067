#include "clipdata/CHTMLFormat.h"

#include <new>

CClipboardFormat* MakeHTMLFormat() { return new (std::nothrow) CHTMLFormat(); }
