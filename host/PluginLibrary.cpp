// Loading OFX binaries and bundles: dlopen on Linux, LoadLibraryW on Windows.
#include "host/PluginLibrary.h"

#include "ofxapi/OfxNames.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <sys/utsname.h>
#endif

#include <cstring>
#include <system_error>

namespace horavex::host {
namespace {

using CountFunction = int (*)();
using GetFunction = OfxPlugin* (*)(int);

std::string describe(const std::filesystem::path& path) { return "OFX plug-in '" + path.string() + "'"; }

#ifdef _WIN32
void* openBinary(const std::filesystem::path& binary, std::string& error) {
    HMODULE module = LoadLibraryExW(binary.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
        error = "LoadLibrary failed with error " + std::to_string(GetLastError());
    }
    return reinterpret_cast<void*>(module);
}

void* findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeBinary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* openBinary(const std::filesystem::path& binary, std::string& error) {
    dlerror();
    void* handle = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* message = dlerror();
        error = message != nullptr ? message : "dlopen failed";
    }
    return handle;
}

void* findSymbol(void* handle, const char* name) { return dlsym(handle, name); }

void closeBinary(void* handle) { dlclose(handle); }
#endif

}  // namespace

std::string bundleArchitectureFolder() {
#if defined(_WIN64)
    return "Win64";
#elif defined(_WIN32)
    return "Win32";
#elif defined(__x86_64__)
    return "Linux-x86-64";
#else
    utsname name{};
    if (uname(&name) != 0) return "Linux";
    return std::string("Linux-") + name.machine;
#endif
}

std::filesystem::path resolvePluginBinary(const std::filesystem::path& path) {
    std::filesystem::path p = path;
    if (!p.has_filename()) p = p.parent_path();
    const std::string name = p.filename().string();
    const std::string suffix = ".bundle";
    std::error_code ec;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
        std::filesystem::is_directory(p, ec)) {
        return p / "Contents" / bundleArchitectureFolder() / name.substr(0, name.size() - suffix.size());
    }
    return path;
}

PluginLibrary PluginLibrary::open(const std::filesystem::path& bundleOrBinary) {
    PluginLibrary library;
    library.bundlePath_ = bundleOrBinary;
    library.binaryPath_ = resolvePluginBinary(bundleOrBinary);
    const std::filesystem::path& binary = library.binaryPath_;

    std::error_code ec;
    if (!std::filesystem::exists(binary, ec)) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": no file '" + binary.string() + "'");
    }
    if (std::filesystem::is_directory(binary, ec)) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": '" + binary.string() +
                        "' is a directory, neither a binary nor a .ofx.bundle");
    }

    std::string error;
    library.handle_ = openBinary(binary, error);
    if (library.handle_ == nullptr) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": " + error);
    }

    void* countSymbol = findSymbol(library.handle_, "OfxGetNumberOfPlugins");
    if (countSymbol == nullptr) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": missing entry point OfxGetNumberOfPlugins");
    }
    void* getSymbol = findSymbol(library.handle_, "OfxGetPlugin");
    if (getSymbol == nullptr) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": missing entry point OfxGetPlugin");
    }
    const auto count = reinterpret_cast<CountFunction>(countSymbol);
    const auto get = reinterpret_cast<GetFunction>(getSymbol);

    const int n = count();
    if (n <= 0) {
        throw LoadError("cannot load " + describe(bundleOrBinary) + ": it reports no plug-ins (" +
                        std::to_string(n) + ")");
    }
    for (int i = 0; i < n; ++i) {
        const OfxPlugin* plugin = get(i);
        const std::string which = describe(bundleOrBinary) + " plug-in " + std::to_string(i);
        if (plugin == nullptr) throw LoadError(which + ": OfxGetPlugin returned null");
        if (plugin->pluginApi == nullptr || std::strcmp(plugin->pluginApi, kOfxImageEffectPluginApi) != 0) {
            throw LoadError(which + ": plug-in API '" + (plugin->pluginApi ? plugin->pluginApi : "(null)") +
                            "', expected '" + kOfxImageEffectPluginApi + "'");
        }
        if (plugin->apiVersion != kOfxImageEffectPluginApiVersion) {
            throw LoadError(which + ": API version " + std::to_string(plugin->apiVersion) + ", expected " +
                            std::to_string(kOfxImageEffectPluginApiVersion));
        }
        library.plugins_.push_back(plugin);
    }
    return library;
}

PluginLibrary::PluginLibrary(PluginLibrary&& other) noexcept
    : handle_(other.handle_),
      bundlePath_(std::move(other.bundlePath_)),
      binaryPath_(std::move(other.binaryPath_)),
      plugins_(std::move(other.plugins_)) {
    other.handle_ = nullptr;
}

PluginLibrary& PluginLibrary::operator=(PluginLibrary&& other) noexcept {
    if (this == &other) return *this;
    if (handle_ != nullptr) closeBinary(handle_);
    handle_ = other.handle_;
    bundlePath_ = std::move(other.bundlePath_);
    binaryPath_ = std::move(other.binaryPath_);
    plugins_ = std::move(other.plugins_);
    other.handle_ = nullptr;
    return *this;
}

PluginLibrary::~PluginLibrary() {
    if (handle_ != nullptr) closeBinary(handle_);
}

const std::filesystem::path& PluginLibrary::bundlePath() const { return bundlePath_; }
const std::filesystem::path& PluginLibrary::binaryPath() const { return binaryPath_; }
int PluginLibrary::pluginCount() const { return static_cast<int>(plugins_.size()); }

const OfxPlugin* PluginLibrary::plugin(int index) const {
    if (index < 0 || index >= pluginCount()) return nullptr;
    return plugins_[static_cast<std::size_t>(index)];
}

const OfxPlugin* PluginLibrary::findPlugin(const std::string& identifier) const {
    for (const OfxPlugin* p : plugins_) {
        if (p->pluginIdentifier != nullptr && identifier == p->pluginIdentifier) return p;
    }
    return nullptr;
}

}  // namespace horavex::host
