// Storage for the identifiers the plug-in and the bar share.
#include <initguid.h>
#include "plugin/Guids.h"
#include "plugin/IDvlButton.h"
#include "plugin/IDvlHost.h"
