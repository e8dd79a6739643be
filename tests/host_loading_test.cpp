// Loading OFX binaries: bundle resolution, the plug-in list, and a clear
// error for each way a binary can fail to be a plug-in.
#include "host/Host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace horavex::host {
namespace {

namespace fs = std::filesystem;

fs::path modules() { return HORAVEX_HOST_TEST_MODULE_DIR; }
fs::path fakeBundle() { return modules() / "FakeEffect.ofx.bundle"; }

// The LoadError message of opening `path`, or "" when it loads.
std::string loadError(const fs::path& path) {
    try {
        PluginLibrary::open(path);
    } catch (const LoadError& e) {
        return e.what();
    }
    return "";
}

TEST(PluginLoading, ABundleResolvesToItsArchitecturesBinary) {
    const fs::path binary = resolvePluginBinary(fakeBundle());
    EXPECT_EQ(binary, fakeBundle() / "Contents" / bundleArchitectureFolder() / "FakeEffect.ofx");
    EXPECT_TRUE(fs::exists(binary));
    EXPECT_EQ(resolvePluginBinary(fs::path(fakeBundle().string() + "/")), binary);
    EXPECT_EQ(resolvePluginBinary(binary), binary);
    EXPECT_EQ(resolvePluginBinary(modules() / "absent.ofx.bundle"), modules() / "absent.ofx.bundle");
}

TEST(PluginLoading, ABundleAndItsBinaryBothOpen) {
    PluginLibrary library = PluginLibrary::open(fakeBundle());
    ASSERT_EQ(library.pluginCount(), 1);
    const OfxPlugin* plugin = library.plugin(0);
    ASSERT_NE(plugin, nullptr);
    EXPECT_STREQ(plugin->pluginApi, kOfxImageEffectPluginApi);
    EXPECT_EQ(plugin->apiVersion, 1);
    EXPECT_STREQ(plugin->pluginIdentifier, "org.horavex.host.fakeeffect");
    EXPECT_EQ(library.plugin(1), nullptr);
    EXPECT_EQ(library.plugin(-1), nullptr);
    EXPECT_EQ(library.findPlugin("org.horavex.host.fakeeffect"), plugin);
    EXPECT_EQ(library.findPlugin("org.elsewhere"), nullptr);
    EXPECT_EQ(library.bundlePath(), fakeBundle());

    PluginLibrary direct = PluginLibrary::open(library.binaryPath());
    EXPECT_EQ(direct.plugin(0), plugin);  // the same loaded object
    PluginLibrary moved = std::move(direct);
    EXPECT_EQ(moved.pluginCount(), 1);
}

TEST(PluginLoading, EachBrokenBinaryFailsWithItsReason) {
    EXPECT_NE(loadError(modules() / "nothing-here.ofx.bundle").find("no file"), std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_no_entry_points.ofx").find("missing entry point OfxGetNumberOfPlugins"),
              std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_no_get_plugin.ofx").find("missing entry point OfxGetPlugin"),
              std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_zero_plugins.ofx").find("no plug-ins"), std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_null_plugin.ofx").find("returned null"), std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_wrong_api.ofx").find("OfxSomeOtherAPI"), std::string::npos);
    EXPECT_NE(loadError(modules() / "broken_wrong_version.ofx").find("API version 2"), std::string::npos);
}

TEST(PluginLoading, FilesThatAreNotSharedObjectsAndPlainDirectories) {
    const fs::path dir = fs::temp_directory_path() / ("horavex-host-loading-" + std::to_string(::getpid()));
    fs::create_directories(dir / "Plain.ofx.bundle" / "Contents");
    std::ofstream(dir / "text.ofx") << "not an ELF file\n";
    EXPECT_NE(loadError(dir / "text.ofx").find("text.ofx"), std::string::npos);
    EXPECT_FALSE(loadError(dir / "text.ofx").empty());
    EXPECT_NE(loadError(dir / "Plain.ofx.bundle").find("no file"), std::string::npos);
    EXPECT_NE(loadError(dir).find("is a directory"), std::string::npos);
    fs::remove_all(dir);
}

TEST(PluginBinding, TheHostRefusesStructuresThatAreNotImageEffects) {
    Host host;
    EXPECT_THROW(host.bind(nullptr), std::runtime_error);
    OfxPlugin wrongApi{"OfxOtherAPI", 1, "x", 1, 0, [](OfxHost*) {},
                       [](const char*, const void*, OfxPropertySetHandle, OfxPropertySetHandle) { return 0; }};
    EXPECT_THROW(host.bind(&wrongApi), std::runtime_error);
    OfxPlugin noEntry{kOfxImageEffectPluginApi, 1, "x", 1, 0, [](OfxHost*) {}, nullptr};
    EXPECT_THROW(host.bind(&noEntry), std::runtime_error);
    EXPECT_EQ(host.plugin(), nullptr);
    EXPECT_THROW(host.callAction(kOfxActionLoad, nullptr, nullptr, nullptr), std::logic_error);
}

}  // namespace
}  // namespace horavex::host
