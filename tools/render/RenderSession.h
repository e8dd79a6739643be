// Loading the plug-in the way a host does: open the bundle, find the
// plug-in by its identifier, bind the in-tree host to it, send load and
// describe, and make one instance of the chosen context.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/Host.h"
#include "tools/render/Arguments.h"

namespace horavex::cli {

enum ExitCode : int {
    kExitDone = 0,
    kExitRenderFailed = 1,
    kExitBadCommandLine = 2,
    kExitBundle = 3,
    kExitFile = 4,
};

// A failure the program reports as one line and ends with `exitCode`.
class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

// Ends like a host's session: the instance is destroyed, the plug-in gets
// OfxActionUnload, then the host and the library go.
struct PluginSession {
    PluginSession() = default;
    PluginSession(PluginSession&&) = default;
    PluginSession& operator=(PluginSession&&) = delete;
    ~PluginSession();

    std::unique_ptr<host::PluginLibrary> library;
    std::unique_ptr<host::Host> host;
    std::unique_ptr<host::Effect> effect;
    const OfxPlugin* plugin = nullptr;
    bool loaded = false;
};

// Throws CliError: kExitBundle when the bundle does not load, lacks the
// plug-in or the plug-in fails load, describe or instance creation;
// kExitBadCommandLine when it does not offer the context.
// `hostThreads`: the plug-in may spread a frame over every CPU through the
// multi-thread suite; a video encoder that keeps them busy already is better
// left alone.
PluginSession openSession(const std::filesystem::path& bundle, const std::string& pluginId, Context context,
                          const host::EffectConfig& config, bool hostThreads = true);

}  // namespace horavex::cli
