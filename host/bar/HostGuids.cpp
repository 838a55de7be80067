// Storage for the identifiers the bar shares with its plug-ins.
#include <initguid.h>
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"
