// Module libraries built only for the tests, each broken in one way:
// TestModuleNull gives no instance, TestModuleOldApi was built for another
// interface version, TestModuleThrows throws from its factory,
// TestModuleNoExport exports nothing the host looks for.

#include <stdexcept>

#include "frame/promodule.h"

#if defined(TEST_MODULE_NULL)
extern "C" KEEL_EXPORT CProModule *GetModuleInstance()
{
    return nullptr;
}
extern "C" KEEL_EXPORT int GetModuleApiVersion()
{
    return ModuleApiVersion;
}
#elif defined(TEST_MODULE_OLD_API)
extern "C" KEEL_EXPORT CProModule *GetModuleInstance()
{
    return new CProModule;
}
extern "C" KEEL_EXPORT int GetModuleApiVersion()
{
    return ModuleApiVersion + 1;
}
#elif defined(TEST_MODULE_THROWS)
extern "C" KEEL_EXPORT CProModule *GetModuleInstance()
{
    throw std::runtime_error("no module today");
}
extern "C" KEEL_EXPORT int GetModuleApiVersion()
{
    return ModuleApiVersion;
}
#else
extern "C" KEEL_EXPORT int SomethingElse()
{
    return 0;
}
#endif
