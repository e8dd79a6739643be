// Where horavex-render finds the plug-in when no --bundle is given: beside
// a build first, so that a build tree always runs its own plug-in, then
// where an installation puts it.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "tools/render/Arguments.h"

namespace horavex::cli {

inline constexpr const char kBundleName[] = "Horavex.ofx.bundle";

// The folder where OFX hosts of this system look for plug-ins:
// /usr/OFX/Plugins on Linux, %CommonProgramFiles%\OFX\Plugins on Windows.
std::filesystem::path systemPluginFolder();

// The places to try, in order, for a program at `program`:
//   <program's folder>/../Horavex.ofx.bundle        a build tree (tools/ beside the bundle)
//   <program's folder>/../OFX/Plugins/Horavex.ofx.bundle   an installation prefix (bin/ beside OFX/)
//   <systemFolder>/Horavex.ofx.bundle
// without repeats.
std::vector<std::filesystem::path> bundleSearchPaths(const std::filesystem::path& program,
                                                     const std::filesystem::path& systemFolder);

// The running program's own file; empty when the system does not say.
std::filesystem::path runningProgram();

// The first of bundleSearchPaths(runningProgram(), systemPluginFolder())
// that is a folder; none when there is none, and `searched` says where it
// looked.
std::optional<std::filesystem::path> findDefaultBundle(std::vector<std::filesystem::path>& searched);

// --bundle when given, else the default bundle; throws CliError
// (kExitBundle) naming every place it looked when there is none.
std::filesystem::path bundleToLoad(const Options& options);

}  // namespace horavex::cli
