#include "tools/render/VersionReport.h"

#include <exception>
#include <optional>

#include "core/drawing/LibraryVersions.h"
#include "host/PluginLibrary.h"
#include "tools/render/BundleLookup.h"
#include "tools/render/RenderSession.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

const char* programVersion() { return HORAVEX_VERSION; }

std::string programVersionLines() {
    return joinText({kProgramName, " ", programVersion(), "\ndrawing: ", drawingLibraryVersions(), "\n"});
}

std::string pluginVersionLine(const OfxPlugin& plugin, const std::filesystem::path& bundle) {
    const char* identifier = plugin.pluginIdentifier != nullptr ? plugin.pluginIdentifier : "(no identifier)";
    return joinText({"plug-in: ", identifier, " version ", std::to_string(plugin.pluginVersionMajor), ".",
                     std::to_string(plugin.pluginVersionMinor), " in ", bundle.string(), "\n"});
}

std::string pluginVersionLine(const Options& options) {
    const std::filesystem::path bundle = bundleToLoad(options);
    std::optional<host::PluginLibrary> library;
    try {
        library.emplace(host::PluginLibrary::open(bundle));
    } catch (const std::exception& e) {
        throw CliError(kExitBundle, joinText({"cannot load the plug-in bundle: ", e.what()}));
    }
    const OfxPlugin* plugin = library->findPlugin(options.pluginId);
    if (plugin == nullptr) {
        throw CliError(kExitBundle,
                       joinText({inQuotes(bundle.string()), " has no plug-in ", inQuotes(options.pluginId)}));
    }
    return pluginVersionLine(*plugin, library->bundlePath());
}

}  // namespace horavex::cli
