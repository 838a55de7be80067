// The entries that menu bars and popup menus make from their children.
#pragma once
#include <windows.h>

class CZABElement;

// One entry per child of `owner` at the child's position: a "menuitem" as a
// string with the command id position + 1, a "menuseparator" as a
// separator, a "menupopup" as a string with that id and the popup's menu as
// its submenu, which `menu` then owns. Other children get no entry.
void ZABFillMenu(HMENU menu, CZABElement& owner);
