#include "modules/probe/tmonitormodule.h"

KEEL_DECLARE_MODULE(CTMonitorModule)
