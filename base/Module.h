// The library's module instance, its object count and the platform test
// that chooses the themed drawing paths.
#pragma once
#include <windows.h>

HINSTANCE GetModuleInstance();
void SetModuleInstance(HINSTANCE instance);

// Every button, wrapper and class factory holds one count while it lives.
void ModuleAddObject();
void ModuleReleaseObject();
LONG ModuleObjectCount();

BOOL IsVistaOrLater();
