// The real font dialog: the bundled GTK chooser program, started by the font
// button through the in-tree host, on a virtual X display of the test's own,
// with xdotool playing the user.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/fontchooser/FontChooser.h"
#include "support/HostBuilders.h"

extern char** environ;

namespace horavex::host::testing {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> findProgram(const std::string& name) {
    const char* path = ::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) {
            previous_ = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { previous_ ? ::setenv(name_.c_str(), previous_->c_str(), 1) : ::unsetenv(name_.c_str()); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// An Xvfb server on the first free display; it tells us which through a pipe
// once it accepts connections.
class VirtualDisplay {
public:
    explicit VirtualDisplay(const fs::path& xvfb) {
        int fds[2];
        if (::pipe(fds) != 0) {
            return;
        }
        const std::string fd = std::to_string(fds[1]);
        std::vector<std::string> args = {xvfb.string(), "-displayfd", fd, "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, xvfb.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        ::close(fds[1]);
        std::string number;
        pollfd waitFor{fds[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&waitFor, 1, 20000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
            number.push_back(c);
        }
        ::close(fds[0]);
        if (!number.empty()) {
            name_ = ":" + number;
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// This process's children running the chooser program.
std::vector<pid_t> chooserChildren() {
    std::vector<pid_t> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t open = line.find('(');
        const size_t close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        const std::string comm = line.substr(open + 1, close - open - 1);
        std::istringstream rest(line.substr(close + 1));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid() && std::string(kFontChooserProgramName).rfind(comm, 0) == 0) {
            children.push_back(static_cast<pid_t>(std::stoi(name)));
        }
    }
    return children;
}

// Plays the user on another thread while the font button blocks this one.
// Should the dialog never show or the keys fail, it ends the chooser so the
// test fails instead of hanging.
class DialogUser {
public:
    explicit DialogUser(std::string keys) {
        thread_ = std::thread([this, keys = std::move(keys)] {
            const std::string script =
                "w=$(timeout 30 xdotool search --sync --onlyvisible --name '^Font$' 2>/dev/null | head -n 1)\n"
                "[ -n \"$w\" ] || exit 1\n"
                "sleep 0.5\n"
                "timeout 10 xdotool windowfocus --sync \"$w\" || exit 1\n" +
                keys;
            const int status = std::system(script.c_str());
            succeeded_ = status == 0;
            if (!succeeded_) {
                for (pid_t child : chooserChildren()) {
                    ::kill(child, SIGTERM);
                }
            }
        });
    }
    ~DialogUser() { finish(); }
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;

    bool finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return succeeded_;
    }

private:
    std::thread thread_;
    bool succeeded_ = false;
};

class FontDialog : public ::testing::Test {
protected:
    void SetUp() override {
        const auto xvfb = findProgram("Xvfb");
        if (!xvfb || !findProgram("xdotool")) {
            GTEST_SKIP() << "needs Xvfb and xdotool (packages xvfb and xdotool)";
        }
        display_.emplace(*xvfb);
        ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
        displayEnv_.emplace("DISPLAY", display_->name().c_str());
        waylandEnv_.emplace("WAYLAND_DISPLAY", nullptr);
        overrideEnv_.emplace(kFontChooserOverrideVariable, nullptr);
        // No accessibility bus to look for on a bare display.
        atBridgeEnv_.emplace("NO_AT_BRIDGE", "1");
        session_ = loadEffect(kOfxImageEffectContextFilter);
    }

    void TearDown() override {
        session_.effect.reset();
        session_.host.reset();
        session_.library.reset();
        atBridgeEnv_.reset();
        overrideEnv_.reset();
        waylandEnv_.reset();
        displayEnv_.reset();
        display_.reset();
    }

    Param& fontParam() { return session_->param("FontParam"); }

    std::optional<VirtualDisplay> display_;
    std::optional<ScopedEnv> displayEnv_;
    std::optional<ScopedEnv> waylandEnv_;
    std::optional<ScopedEnv> overrideEnv_;
    std::optional<ScopedEnv> atBridgeEnv_;
    PluginSession session_;
};

TEST_F(FontDialog, ConfirmedChoiceReachesFontParam) {
    fontParam().setString("-27 0 0 0 400 34 DejaVu_Sans");
    DialogUser user("timeout 10 xdotool key alt+u && sleep 0.3 && timeout 10 xdotool key Return\n");
    EXPECT_EQ(session_->paramChanged("Button_Font"), kOfxStatOK);
    EXPECT_TRUE(user.finish()) << "the dialog did not show or did not take the keys";
    EXPECT_EQ(fontParam().stringValue(), "-27 0 0 1 400 34 DejaVu_Sans");
    EXPECT_TRUE(session_.host->messages().messages().empty());
    EXPECT_TRUE(chooserChildren().empty());
}

TEST_F(FontDialog, CancelledDialogLeavesTheFontReEncoded) {
    fontParam().setString("0x1B 1 0 0 700 34 DejaVu_Sans");
    DialogUser user("timeout 10 xdotool key alt+u && sleep 0.3 && timeout 10 xdotool key Escape\n");
    EXPECT_EQ(session_->paramChanged("Button_Font"), kOfxStatOK);
    EXPECT_TRUE(user.finish()) << "the dialog did not show or did not take the keys";
    EXPECT_EQ(fontParam().stringValue(), "27 1 0 0 700 34 DejaVu_Sans");
    EXPECT_TRUE(session_.host->messages().messages().empty());
    EXPECT_TRUE(chooserChildren().empty());
}

}  // namespace
}  // namespace horavex::host::testing
