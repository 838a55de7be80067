// Storage for the identifiers the bar shares with its plug-ins.
#include <initguid.h>
#include "plugin/IDvlButton.h"
#include "plugin/IDvlHost.h"
