#include "core/fontchooser/FontChooserProcess.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

extern char** environ;

namespace horavex {
namespace {

// An answer is a few short lines; anything longer is not one of ours.
constexpr size_t kMaxAnswerBytes = 64 * 1024;

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_ = -1;
};

// Sets up what the child gets: /dev/null in, the pipe out, and a signal state
// of its own. The host may block or ignore signals on its thread, and a
// child inherits both across exec.
class SpawnSetup {
public:
    SpawnSetup() {
        actionsReady_ = posix_spawn_file_actions_init(&actions_) == 0;
        attributesReady_ = posix_spawnattr_init(&attributes_) == 0;
    }
    ~SpawnSetup() {
        if (actionsReady_) {
            posix_spawn_file_actions_destroy(&actions_);
        }
        if (attributesReady_) {
            posix_spawnattr_destroy(&attributes_);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    bool prepare(int outputFd) {
        if (!actionsReady_ || !attributesReady_) {
            return false;
        }
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        return posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
               posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO) == 0 && closeInherited() &&
               posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
               posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
               posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    // Whatever the host opened without close-on-exec stays out of the child.
    bool closeInherited() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        return posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1) == 0;
#else
        return true;
#endif
    }

    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
    bool actionsReady_ = false;
    bool attributesReady_ = false;
};

// A host running without standard input or output would have the pipe land
// on 0 or 1, where the child's own redirections would overwrite it.
int aboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

// Reads until end of file, or until more than an answer's worth has come: a
// program that keeps talking is not answering, and once we stop listening
// its next write fails.
std::string readAnswer(int fd) {
    std::string output;
    std::array<char, 4096> chunk;
    while (output.size() <= kMaxAnswerBytes) {
        const ssize_t count = ::read(fd, chunk.data(), chunk.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        output.append(chunk.data(), static_cast<size_t>(count));
    }
    return output;
}

// True when the child ran to a normal exit. A host that ignores SIGCHLD has
// its children reaped for it; then the answer alone has to speak.
bool waitForExit(pid_t pid) {
    int status = 0;
    for (;;) {
        const pid_t result = ::waitpid(pid, &status, 0);
        if (result == pid) {
            return WIFEXITED(status);
        }
        if (result < 0 && errno == EINTR) {
            continue;
        }
        return result < 0 && errno == ECHILD;
    }
}

}  // namespace

FontChooserAnswer runFontChooserProgram(const std::string& program, const FontChoice& current) {
    int fds[2] = {-1, -1};
    // Close-on-exec, so that no other child the host starts meanwhile keeps
    // our pipe open and our read waiting.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    FileDescriptor readEnd(aboveStandardStreams(fds[0]));
    FileDescriptor writeEnd(aboveStandardStreams(fds[1]));
    if (readEnd.get() < 0 || writeEnd.get() < 0) {
        return {};
    }

    SpawnSetup setup;
    if (!setup.prepare(writeEnd.get())) {
        return {};
    }
    const std::vector<std::string> arguments = fontChooserArguments(current);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawn(&pid, program.c_str(), setup.actions(), setup.attributes(), argv.data(), environ) != 0) {
        return {};
    }
    writeEnd.reset();
    const std::string output = readAnswer(readEnd.get());
    readEnd.reset();
    const bool exited = waitForExit(pid);
    if (!exited || output.size() > kMaxAnswerBytes) {
        return {};
    }
    return parseFontChooserAnswer(output);
}

}  // namespace horavex
