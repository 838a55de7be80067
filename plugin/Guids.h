// The plug-in's own class identifier.
#pragma once
#include <windows.h>

// {813B3923-D634-4811-8929-3ED2006EE806}
DEFINE_GUID(CLSID_Mirabex, 0x813b3923, 0xd634, 0x4811, 0x89, 0x29, 0x3e, 0xd2, 0x00, 0x6e, 0xe8, 0x06);
