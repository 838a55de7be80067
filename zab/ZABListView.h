// Columns and rows of the list views that the list and the checks list make.
#pragma once
#include <windows.h>

// A left-aligned column at `at`, with `caption` when there is one and
// `width` when it is above 0.
void ZABInsertColumn(HWND list, int at, const WCHAR* caption, int width);

// A row at `at` with `label` as its text and `value` as its data.
void ZABInsertRow(HWND list, int at, const WCHAR* label, int value);
