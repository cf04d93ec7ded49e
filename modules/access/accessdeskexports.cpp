#include "modules/access/securitymodule.h"

KEEL_DECLARE_MODULE(CSecurityModule)
