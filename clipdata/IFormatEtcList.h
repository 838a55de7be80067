// What a format object needs from a format enumerator's list while it adds
// the (clipboard format, medium) pairs it can render. The list keeps each
// pair once.
#pragma once
#include <windows.h>

class IFormatEtcList {
public:
    virtual void AddFormatEtc(CLIPFORMAT format, DWORD tymed) = 0;

protected:
    ~IFormatEtcList() = default;
};
