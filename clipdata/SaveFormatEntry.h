// The file types a stored format can be saved as, and one save choice as it
// travels between the format objects, the snapshot and the save dialog.
#pragma once
#include <windows.h>
#include <vector>

enum SaveFormat : int {
    SAVE_FORMAT_ANSI = 1,
    SAVE_FORMAT_UNICODE = 2,
    SAVE_FORMAT_BITMAP = 4,
    SAVE_FORMAT_JPEG = 8,
    SAVE_FORMAT_PNG = 16,
    SAVE_FORMAT_HTML = 32,
    SAVE_FORMAT_RTF = 64,
};

struct SaveFormatEntry {
    WCHAR streamName[256];   // GetStreamName of the offering format
    int format;              // one SaveFormat code
    WCHAR fileName[MAX_PATH];  // empty until the save dialog fills it in
};

using SaveFormatList = std::vector<SaveFormatEntry>;
