// The "SecurityService" service library.
#include "services/frame/servicelibrary.h"
#include "services/types/servicetables.h"

KEEL_SERVICE_LIBRARY(accessTypes)
