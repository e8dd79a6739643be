#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/fontchooser/FontChooserProcess.h"
#include "core/values/FontString.h"

namespace horavex {
namespace {

namespace fs = std::filesystem;

// Stand-in chooser programs, written as shell scripts into a folder of the
// test's own.
class FontChooserProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/horavex-chooser-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string script(const std::string& name, const std::string& body, bool executable = true) {
        const fs::path path = folder_ / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return path.string();
    }

    std::string readFile(const std::string& name) {
        std::ifstream in(folder_ / name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path folder_;
};

TEST_F(FontChooserProcessTest, ReceivesTheFontAndAnswersTheChoice) {
    const std::string program = script("chooser", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments\"\n"
                                                  "printf 'chosen\\nface=Liberation Serif\\nsize=12\\nweight=700\\n"
                                                  "italic=1\\nunderline=0\\nstrikeout=1\\n'");
    const FontChooserAnswer answer = runFontChooserProgram(program, fontChoiceFrom(dialogDefaultFont()));
    ASSERT_EQ(answer.outcome, FontChooserOutcome::Chosen);
    EXPECT_EQ(answer.choice.face, "Liberation Serif");
    EXPECT_EQ(answer.choice.points, 12.0);
    EXPECT_EQ(answer.choice.weight, 700);
    EXPECT_TRUE(answer.choice.italic);
    EXPECT_FALSE(answer.choice.underline);
    EXPECT_TRUE(answer.choice.strikeOut);
    EXPECT_EQ(readFile("arguments"),
              "--face=Arial\n--size=20\n--weight=400\n--italic=0\n--underline=0\n--strikeout=0\n");
}

TEST_F(FontChooserProcessTest, CancelIsCancelled) {
    EXPECT_EQ(runFontChooserProgram(script("chooser", "echo cancelled"), {}).outcome, FontChooserOutcome::Cancelled);
}

TEST_F(FontChooserProcessTest, NoDisplayIsUnavailable) {
    EXPECT_EQ(runFontChooserProgram(script("chooser", "echo unavailable; exit 2"), {}).outcome,
              FontChooserOutcome::Unavailable);
}

TEST_F(FontChooserProcessTest, ProgramsThatCannotAnswerAreUnavailable) {
    const std::string chosen = "printf 'chosen\\nface=A\\nsize=1\\nweight=1\\nitalic=0\\nunderline=0\\nstrikeout=0\\n'";
    for (const std::string& program : {
             (folder_ / "missing").string(),
             script("not-executable", "echo cancelled", false),
             script("silent", "exit 0"),
             script("garbage", "echo hello"),
             script("killed", chosen + "; kill -9 $$"),
             script("endless", "yes chosen"),
         }) {
        EXPECT_EQ(runFontChooserProgram(program, {}).outcome, FontChooserOutcome::Unavailable) << program;
    }
}

TEST_F(FontChooserProcessTest, ChildGetsNoInputAndNoInheritedDescriptors) {
    const int leaked = ::dup(STDERR_FILENO);  // opened without close-on-exec, as a host might
    ASSERT_GE(leaked, 0);
    const std::string fd = std::to_string(leaked);
    const std::string program = script("chooser",
                                       "[ \"$(readlink /proc/$$/fd/0)\" = /dev/null ] || exit 0\n"
                                       "[ -e /proc/$$/fd/" + fd + " ] && exit 0\n"
                                       "echo cancelled");
    EXPECT_EQ(runFontChooserProgram(program, {}).outcome, FontChooserOutcome::Cancelled);
    ::close(leaked);
}

// A host may run with its standard streams closed; the pipe then gets their
// numbers and the child must still answer through it.
TEST_F(FontChooserProcessTest, WorksWhenTheHostHasNoStandardStreams) {
    const std::string program = script("chooser", "echo cancelled");
    const int savedIn = ::dup(STDIN_FILENO);
    const int savedOut = ::dup(STDOUT_FILENO);
    ASSERT_GE(savedIn, 0);
    ASSERT_GE(savedOut, 0);
    ::close(STDIN_FILENO);
    ::close(STDOUT_FILENO);
    const FontChooserOutcome outcome = runFontChooserProgram(program, {}).outcome;
    ::dup2(savedIn, STDIN_FILENO);
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedIn);
    ::close(savedOut);
    EXPECT_EQ(outcome, FontChooserOutcome::Cancelled);
}

}  // namespace
}  // namespace horavex
