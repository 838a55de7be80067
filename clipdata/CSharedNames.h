// One copy of each name that many items hold (a history's folder, a
// format's stream name): an item keeps a pointer, not a string of its own.
// The copies live as long as the process; there are only a handful.
#pragma once
#include <windows.h>

class CSharedNames {
public:
    // The shared copy of the name, equal names giving the same pointer; ""
    // for null.
    static const WCHAR* Get(const WCHAR* name);
};
