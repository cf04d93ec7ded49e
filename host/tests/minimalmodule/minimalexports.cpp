#include "host/tests/minimalmodule/minimalmodule.h"

KEEL_DECLARE_MODULE(CMinimalModule)
