// horavex-render --version: the release's version (the same as the bundle's
// Info.plist), the drawing libraries in use, and the plug-in's own version
// as a host reads it; and how --version combines with other options.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cairo.h>
#include <pango/pango.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tools/render/Arguments.h"
#include "tools/render/VersionReport.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct ProgramRun {
    int exitCode = -1;
    std::string out;
};

ProgramRun runProgram(const std::string& args) {
    const std::string command = std::string("'") + HORAVEX_TOOLS_DIR + "/horavex-render' " + args + " 2>/dev/null";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

// The string value of `key` in the bundle's Info.plist.
std::string plistValue(const std::string& key) {
    std::ifstream in(fs::path(HORAVEX_BUNDLE_PATH) / "Contents" / "Info.plist");
    std::stringstream text;
    text << in.rdbuf();
    std::smatch match;
    const std::regex pattern("<key>" + key + "</key>\\s*<string>([^<]*)</string>");
    const std::string plist = text.str();
    return std::regex_search(plist, match, pattern) ? match[1].str() : std::string();
}

TEST(RenderCliVersion, OneVersionInTheProgramAndTheBundle) {
    const std::string version = programVersion();
    EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;
    EXPECT_EQ(plistValue("CFBundleVersion"), version);
    EXPECT_EQ(plistValue("CFBundleShortVersionString"), version);
}

TEST(RenderCliVersion, PrintsTheProgramTheDrawingLibrariesAndThePlugIn) {
    const ProgramRun run = runProgram("--version");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string("horavex-render ") + programVersion() + "\ndrawing: Cairo " + cairo_version_string() +
                           ", Pango " + pango_version_string() + "\nplug-in: de.quandel.horavex version 1.0 in " +
                           HORAVEX_BUNDLE_PATH + "\n");
}

TEST(RenderCliVersion, ProgramVersionStillPrintedWhenTheBundleDoesNotLoad) {
    const ProgramRun run = runProgram("--version --bundle /nonexistent/X.ofx.bundle");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_THAT(run.out, StartsWith(std::string("horavex-render ") + programVersion() + "\ndrawing: "));
    EXPECT_THAT(run.out, Not(HasSubstr("plug-in:")));
}

TEST(RenderCliVersion, AnswersWhateverElseIsAsked) {
    EXPECT_EQ(parseArguments({"--version"}).options.mode, Mode::Version);
    // Without --out, which rendering would need.
    EXPECT_TRUE(parseArguments({"--set", "Start Hour=3", "--version"}).ok());
    EXPECT_EQ(parseArguments({"--text", "--version"}).options.mode, Mode::Version);
    EXPECT_EQ(parseArguments({"--version", "--list-params"}).options.mode, Mode::Version);
    EXPECT_EQ(parseArguments({"--version", "--help"}).options.mode, Mode::Help);
    EXPECT_EQ(parseArguments({"--help", "--version"}).options.mode, Mode::Help);
    EXPECT_EQ(parseArguments({"--version=1"}).error, "--version takes no value");
    EXPECT_THAT(usageText(), HasSubstr("--version"));
}

}  // namespace
}  // namespace horavex::cli
