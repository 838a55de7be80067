#include "zab/ZABFlags.h"

#include "zab/CZABEngine.h"

DWORD ZABReadFlags(IXMLDOMNode* node, std::initializer_list<ZABFlagAttr> attrs) {
    DWORD bits = 0;
    for (const ZABFlagAttr& attr : attrs) {
        if (CZABEngine::GetAttrBool(node, attr.name, attr.fallback)) bits |= attr.bits;
    }
    return bits;
}
