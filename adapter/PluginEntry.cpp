// The library's two exported entry points and its one plug-in structure.
#include "ofxapi/OfxApi.h"
#include "ofxapi/OfxNames.h"
#include "adapter/Dispatch.h"
#include "adapter/HostSuites.h"

namespace {

void setHostEntry(OfxHost* host) {
    horavex::setHost(host);
}

OfxStatus mainEntry(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                    OfxPropertySetHandle outArgs) {
    return horavex::pluginMain(action, handle, inArgs, outArgs);
}

// The identifier is stored in hosts' projects: it never changes once released.
OfxPlugin plugin = {
    kOfxImageEffectPluginApi, kOfxImageEffectPluginApiVersion, "de.quandel.horavex", 1, 0, setHostEntry, mainEntry,
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int OfxGetNumberOfPlugins(void) {
    return 1;
}

__attribute__((visibility("default"))) OfxPlugin* OfxGetPlugin(int nth) {
    return nth == 0 ? &plugin : nullptr;
}

}  // extern "C"
