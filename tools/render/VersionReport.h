// What --version prints: the program's own version, the drawing libraries
// in use, and the version of the plug-in as a host reads it from the
// plug-in structure (which keeps its own numbering, apart from the
// release's).
#pragma once

#include <filesystem>
#include <string>

#include "ofxapi/OfxApi.h"
#include "tools/render/Arguments.h"

namespace horavex::cli {

// The release, as the build names it: "1.0.0".
const char* programVersion();

// "horavex-render 1.0.0\ndrawing: Cairo 1.16.0, Pango 1.50.12\n"
std::string programVersionLines();

// "plug-in: de.quandel.horavex version 1.0 in /usr/OFX/Plugins/Horavex.ofx.bundle\n"
std::string pluginVersionLine(const OfxPlugin& plugin, const std::filesystem::path& bundle);

// The line above for the plug-in of --plugin in the bundle to load (without
// calling into the plug-in); throws CliError (kExitBundle) when the bundle
// does not load or lacks the plug-in.
std::string pluginVersionLine(const Options& options);

}  // namespace horavex::cli
