// Shared objects that fail to load as OFX plug-ins in one chosen way each,
// selected by a compile definition, for the host's loading tests.
#include "ofxapi/OfxApi.h"

#define BROKEN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

void setHost(OfxHost*) {}

OfxStatus mainEntry(const char*, const void*, OfxPropertySetHandle, OfxPropertySetHandle) {
    return kOfxStatReplyDefault;
}

#if defined(BROKEN_WRONG_API)
OfxPlugin gPlugin = {"OfxSomeOtherAPI", 1, "org.horavex.host.broken", 1, 0, setHost, mainEntry};
#elif defined(BROKEN_WRONG_VERSION)
OfxPlugin gPlugin = {"OfxImageEffectPluginAPI", 2, "org.horavex.host.broken", 1, 0, setHost, mainEntry};
#else
[[maybe_unused]] OfxPlugin gPlugin = {"OfxImageEffectPluginAPI", 1, "org.horavex.host.broken", 1, 0, setHost,
                                      mainEntry};
#endif

}  // namespace

#if defined(BROKEN_NO_ENTRY_POINTS)
BROKEN_EXPORT int horavexNotAPlugin(void) { return 0; }
#elif defined(BROKEN_NO_GET_PLUGIN)
BROKEN_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }
#elif defined(BROKEN_ZERO_PLUGINS)
BROKEN_EXPORT int OfxGetNumberOfPlugins(void) { return 0; }
BROKEN_EXPORT OfxPlugin* OfxGetPlugin(int) { return nullptr; }
#elif defined(BROKEN_NULL_PLUGIN)
BROKEN_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }
BROKEN_EXPORT OfxPlugin* OfxGetPlugin(int) { return nullptr; }
#else
BROKEN_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }
BROKEN_EXPORT OfxPlugin* OfxGetPlugin(int nth) { return nth == 0 ? &gPlugin : nullptr; }
#endif
