#include "modules/perf/watchmodule.h"

KEEL_DECLARE_MODULE(CWatchModule)
