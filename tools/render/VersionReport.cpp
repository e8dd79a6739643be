#include "tools/render/VersionReport.h"

#include "drawing/LibraryVersions.h"
#include "tools/render/Arguments.h"
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

}  // namespace horavex::cli
