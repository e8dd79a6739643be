// Loading an OFX binary the way a host does: resolve the bundle layout,
// dlopen(RTLD_NOW | RTLD_LOCAL) on Linux or LoadLibraryW on Windows, and look
// up OfxGetNumberOfPlugins and OfxGetPlugin.
#pragma once

#include "ofxapi/OfxApi.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace horavex::host {

class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The architecture folder of a bundle on this machine ("Linux-x86-64" on
// x86-64 Linux, "Linux-<machine>" elsewhere, "Win64" on 64-bit Windows).
std::string bundleArchitectureFolder();

// For a directory "X.ofx.bundle": X.ofx.bundle/Contents/<arch>/X.ofx. Any
// other path is returned as it is (a direct path to a binary).
std::filesystem::path resolvePluginBinary(const std::filesystem::path& path);

class PluginLibrary {
public:
    // Throws LoadError with a message naming the path and the problem: no
    // such file, dlopen's error, a missing entry point, no plug-ins, a null
    // plug-in structure, a plug-in API other than "OfxImageEffectPluginAPI"
    // version 1.
    static PluginLibrary open(const std::filesystem::path& bundleOrBinary);

    PluginLibrary(PluginLibrary&& other) noexcept;
    PluginLibrary& operator=(PluginLibrary&& other) noexcept;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // The bundle directory given to open(), or the binary when it was given
    // directly.
    const std::filesystem::path& bundlePath() const;
    const std::filesystem::path& binaryPath() const;
    int pluginCount() const;
    // Null outside [0, pluginCount()).
    const OfxPlugin* plugin(int index) const;
    // The first plug-in with this identifier, or null.
    const OfxPlugin* findPlugin(const std::string& identifier) const;

private:
    PluginLibrary() = default;

    void* handle_ = nullptr;
    std::filesystem::path bundlePath_;
    std::filesystem::path binaryPath_;
    std::vector<const OfxPlugin*> plugins_;
};

}  // namespace horavex::host
