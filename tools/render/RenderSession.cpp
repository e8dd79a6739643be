#include "tools/render/RenderSession.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <system_error>
#include <vector>

#include "tools/render/StatusNames.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

bool accepted(OfxStatus status) { return status == kOfxStatOK || status == kOfxStatReplyDefault; }

// Like most hosts, the program never unmaps a plug-in binary it has
// loaded: the plug-in's process-wide caches stay where they are until the
// process ends, instead of being cut loose by dlclose.
void keepMapped(const std::filesystem::path& binary) {
#ifdef _WIN32
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, binary.c_str(), &module);
#else
    dlopen(binary.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
#endif
}

}  // namespace

PluginSession::~PluginSession() {
    effect.reset();
    if (loaded && host) host->unload();
}

PluginSession openSession(const std::filesystem::path& bundle, const std::string& pluginId, Context context,
                          const host::EffectConfig& config, bool hostThreads) {
    PluginSession session;
    try {
        session.library = std::make_unique<host::PluginLibrary>(host::PluginLibrary::open(bundle));
    } catch (const std::exception& e) {
        throw CliError(kExitBundle, joinText({"cannot load the plug-in bundle: ", e.what()}));
    }
    keepMapped(session.library->binaryPath());
    session.plugin = session.library->findPlugin(pluginId);
    if (session.plugin == nullptr) {
        std::string found;
        for (int i = 0; i < session.library->pluginCount(); ++i) {
            const OfxPlugin* plugin = session.library->plugin(i);
            if (plugin == nullptr || plugin->pluginIdentifier == nullptr) continue;
            found += joinText({found.empty() ? "" : ", ", inQuotes(plugin->pluginIdentifier)});
        }
        const std::string holds = found.empty() ? std::string() : joinText({" (it has ", found, ")"});
        throw CliError(kExitBundle, joinText({inQuotes(bundle.string()), " has no plug-in ", inQuotes(pluginId), holds}));
    }

    // Large frames are composited on every CPU through the multi-thread suite.
    host::HostConfig hostConfig;
    hostConfig.threaded = hostThreads;
    session.host = std::make_unique<host::Host>(hostConfig);
    // The program never reads the call log, which would grow with every frame.
    session.host->calls().setEnabled(false);
    try {
        session.host->bind(session.plugin, session.library->bundlePath().string());
    } catch (const std::exception& e) {
        throw CliError(kExitBundle, joinText({"cannot use the plug-in: ", e.what()}));
    }
    const OfxStatus loaded = session.host->load();
    if (!accepted(loaded)) {
        throw CliError(kExitBundle,
                       joinText({"the plug-in failed to load: OfxActionLoad returned ", describeStatus(loaded)}));
    }
    session.loaded = true;
    const OfxStatus described = session.host->describe();
    if (!accepted(described)) {
        throw CliError(kExitBundle, joinText({"the plug-in failed to describe itself: OfxActionDescribe returned ",
                                              describeStatus(described)}));
    }

    const host::PropertySet& props = session.host->descriptor().props();
    const char* wanted = ofxContextName(context);
    if (props.type(kOfxImageEffectPropSupportedContexts) == host::PropertyType::String) {
        const std::vector<std::string> contexts = props.getStrings(kOfxImageEffectPropSupportedContexts);
        if (std::find(contexts.begin(), contexts.end(), wanted) == contexts.end()) {
            throw CliError(kExitBadCommandLine,
                           joinText({"the plug-in does not offer the ", contextName(context), " context"}));
        }
    }
    try {
        session.effect = session.host->createEffect(wanted, config);
    } catch (const std::exception& e) {
        throw CliError(kExitBundle, joinText({"cannot make an instance of the plug-in: ", e.what()}));
    }
    return session;
}

}  // namespace horavex::cli
