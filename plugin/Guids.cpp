// Storage for the identifiers the plug-in and the bar share.
#include <initguid.h>
#include "plugin/Guids.h"
#include "ui/IDvlButton.h"
#include "ui/IDvlHost.h"
