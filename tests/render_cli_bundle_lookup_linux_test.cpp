// Where horavex-render finds the plug-in without --bundle: the order of the
// places, and the program itself run from a build tree, from an installation
// prefix and from a folder with no bundle anywhere near.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tools/render/BundleLookup.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "horavex-lookup-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// In single quotes for the shell (the test's own folders hold none).
std::string quoted(const fs::path& path) {
    std::string text(1, '\'');
    text.append(path.string()).push_back('\'');
    return text;
}

// "... in <bundle>\n", the end of --version's plug-in line.
std::string loadedFrom(const fs::path& bundle) {
    std::string text(" in ");
    text.append(bundle.string()).push_back('\n');
    return text;
}

struct ProgramRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

ProgramRun runProgram(const fs::path& program, const std::string& args) {
    std::string command = quoted(program);
    command.append(" ").append(args).append(" 2>&1");
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

const fs::path kBuiltProgram = fs::path(HORAVEX_TOOLS_DIR) / "horavex-render";

// A copy of the built program at `folder`/horavex-render.
fs::path placeProgram(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path program = folder / "horavex-render";
    fs::copy_file(kBuiltProgram, program);
    return program;
}

void placeBundle(const fs::path& where) {
    fs::create_directories(where.parent_path());
    fs::copy(HORAVEX_BUNDLE_PATH, where, fs::copy_options::recursive);
}

TEST(RenderCliBundleLookup, BuildTreeFirstThenThePrefixThenTheSystemFolder) {
    EXPECT_THAT(bundleSearchPaths("/home/me/horavex/build/tools/horavex-render", "/usr/OFX/Plugins"),
                ElementsAre(fs::path("/home/me/horavex/build/Horavex.ofx.bundle"),
                            fs::path("/home/me/horavex/build/OFX/Plugins/Horavex.ofx.bundle"),
                            fs::path("/usr/OFX/Plugins/Horavex.ofx.bundle")));
    // Installed in /usr, the prefix's folder is the system's: once is enough.
    EXPECT_THAT(bundleSearchPaths("/usr/bin/horavex-render", "/usr/OFX/Plugins"),
                ElementsAre(fs::path("/usr/Horavex.ofx.bundle"), fs::path("/usr/OFX/Plugins/Horavex.ofx.bundle")));
    // A program the system cannot place still has the system folder.
    EXPECT_THAT(bundleSearchPaths("", "/usr/OFX/Plugins"), ElementsAre(fs::path("/usr/OFX/Plugins/Horavex.ofx.bundle")));
}

TEST(RenderCliBundleLookup, InstalledProgramLoadsTheBundleOfItsPrefix) {
    const TempDir prefix;
    const fs::path program = placeProgram(prefix.path() / "bin");
    const fs::path bundle = prefix.path() / "OFX" / "Plugins" / "Horavex.ofx.bundle";
    placeBundle(bundle);
    const ProgramRun version = runProgram(program, "--version");
    ASSERT_EQ(version.exitCode, 0) << version.output;
    EXPECT_THAT(version.output, HasSubstr(loadedFrom(bundle)));
    const ProgramRun render = runProgram(program, "--size 64x36 --out " + quoted(prefix.path() / "x.png"));
    EXPECT_EQ(render.exitCode, 0) << render.output;
    EXPECT_TRUE(fs::is_regular_file(prefix.path() / "x.png"));
}

TEST(RenderCliBundleLookup, BundleBesideABuildTreeComesBeforeAnInstalledOne) {
    const TempDir tree;
    const fs::path program = placeProgram(tree.path() / "tools");
    placeBundle(tree.path() / "Horavex.ofx.bundle");
    placeBundle(tree.path() / "OFX" / "Plugins" / "Horavex.ofx.bundle");
    const ProgramRun version = runProgram(program, "--version");
    ASSERT_EQ(version.exitCode, 0) << version.output;
    EXPECT_THAT(version.output, HasSubstr(loadedFrom(tree.path() / "Horavex.ofx.bundle")));
}

TEST(RenderCliBundleLookup, NoBundleAnywhereSaysWhereItLooked) {
    if (fs::exists(systemPluginFolder() / kBundleName)) {
        GTEST_SKIP() << "a Horavex bundle is installed in " << systemPluginFolder();
    }
    const TempDir lonely;
    const fs::path program = placeProgram(lonely.path() / "bin");
    const ProgramRun run = runProgram(program, "--size 64x36 --out " + quoted(lonely.path() / "x.png"));
    EXPECT_EQ(run.exitCode, 3);
    std::string expected("horavex-render: error: no plug-in bundle found: looked for \"");
    expected.append((lonely.path() / "Horavex.ofx.bundle").string()).append("\", \"");
    expected.append((lonely.path() / "OFX/Plugins/Horavex.ofx.bundle").string());
    expected.append("\" and \"/usr/OFX/Plugins/Horavex.ofx.bundle\"; name one with --bundle");
    EXPECT_THAT(run.output, HasSubstr(expected));
    EXPECT_FALSE(fs::exists(lonely.path() / "x.png"));
    // --bundle still works from there.
    const ProgramRun named = runProgram(program, "--bundle " + quoted(HORAVEX_BUNDLE_PATH) + " --list-params");
    EXPECT_EQ(named.exitCode, 0) << named.output;
}

}  // namespace
}  // namespace horavex::cli
