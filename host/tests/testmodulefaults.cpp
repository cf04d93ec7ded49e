// Module libraries built only for the tests, each broken in one way:
// TestModuleNull gives no instance, TestModuleOldApi was built for another
// interface version, TestModuleNoExport exports nothing the host looks for.

#include "frame/promodule.h"

#if defined(TEST_MODULE_NULL)
extern "C" KEEL_EXPORT CProModule *GetModuleInstance()
{
    return nullptr;
}
extern "C" KEEL_EXPORT int GetModuleApiVersion()
{
    return KeelModuleApiVersion;
}
#elif defined(TEST_MODULE_OLD_API)
extern "C" KEEL_EXPORT CProModule *GetModuleInstance()
{
    return new CProModule;
}
extern "C" KEEL_EXPORT int GetModuleApiVersion()
{
    return KeelModuleApiVersion + 1;
}
#else
extern "C" KEEL_EXPORT int SomethingElse()
{
    return 0;
}
#endif
