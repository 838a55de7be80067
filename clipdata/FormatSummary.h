// What the history keeps of one stored format without opening the snapshot
// file: the stream's name (a shared copy, CSharedNames) and the digest of the
// data.
#pragma once
#include <windows.h>

struct FormatSummary {
    const WCHAR* streamName;
    BYTE digest[16];
};
