#include "modules/alarm/alertmodule.h"

KEEL_DECLARE_MODULE(CAlertModule)
