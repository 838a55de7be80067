#include "zab/ZABListView.h"

#include <commctrl.h>

void ZABInsertColumn(HWND list, int at, const WCHAR* caption, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    if (caption) {
        column.mask |= LVCF_TEXT;
        column.pszText = const_cast<WCHAR*>(caption);
    }
    if (width > 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    ::SendMessageW(list, LVM_INSERTCOLUMNW, at, reinterpret_cast<LPARAM>(&column));
}

void ZABInsertRow(HWND list, int at, const WCHAR* label, int value) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = at;
    row.pszText = const_cast<WCHAR*>(label ? label : L"");
    row.lParam = value;
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
}
