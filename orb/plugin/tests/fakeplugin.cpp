// Plug-in libraries built only for the loader's test, each good or broken in
// one way, chosen by a definition: FAKE_PLUGIN_GOOD, FAKE_PLUGIN_NULL,
// FAKE_PLUGIN_OLD, FAKE_PLUGIN_THROWS, FAKE_PLUGIN_UNKNOWN_THROW or none
// (no export the loader looks for).
#include <stdexcept>

#include "orb/wire/keelexport.h"

#if defined(FAKE_PLUGIN_GOOD) || defined(FAKE_PLUGIN_NULL) || defined(FAKE_PLUGIN_THROWS) \
    || defined(FAKE_PLUGIN_UNKNOWN_THROW)
extern "C" KEEL_EXPORT int GetFakeApiVersion()
{
    return 7;
}
#elif defined(FAKE_PLUGIN_OLD)
extern "C" KEEL_EXPORT int GetFakeApiVersion()
{
    return 6;
}
#endif

#if defined(FAKE_PLUGIN_GOOD) || defined(FAKE_PLUGIN_OLD)
extern "C" KEEL_EXPORT int *GetFakeInstance()
{
    return new int(42);
}
#elif defined(FAKE_PLUGIN_NULL)
extern "C" KEEL_EXPORT int *GetFakeInstance()
{
    return nullptr;
}
#elif defined(FAKE_PLUGIN_THROWS)
extern "C" KEEL_EXPORT int *GetFakeInstance()
{
    throw std::runtime_error("no instance today");
}
#elif defined(FAKE_PLUGIN_UNKNOWN_THROW)
extern "C" KEEL_EXPORT int *GetFakeInstance()
{
    throw 3;
}
#else
extern "C" KEEL_EXPORT int SomethingElse()
{
    return 0;
}
#endif
