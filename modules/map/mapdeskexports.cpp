#include "modules/map/tpmodule.h"

KEEL_DECLARE_MODULE(CTPModule)
