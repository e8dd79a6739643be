// Running programs from tests on Linux: horavex-render itself and the
// ffmpeg and ffprobe programs that make and inspect video clips, with their
// output and exit code; and a fresh folder per test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace horavex::testing {

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    // The names in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::filesystem::path path_;
};

struct ProcessResult {
    // The exit code, or -1 when the process did not exit normally.
    int exitCode = -1;
    // The signal that ended it, or 0.
    int signal = 0;
    std::string out;
    std::string err;
};

struct ProcessSetup {
    std::string stdinFile;        // empty: /dev/null
    long fileSizeLimit = -1;      // RLIMIT_FSIZE in bytes; -1: unchanged
    std::vector<std::string> environment;  // NAME=value added to the test's own
};

// argv[0] is the program's path (or a name found on PATH).
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessSetup& setup = {});

// build/tools/horavex-render with `args`.
ProcessResult runRender(const std::vector<std::string>& args, const ProcessSetup& setup = {});

// ffmpeg -v error -y ARGS; fails the test (and returns false) when ffmpeg does.
bool ffmpeg(const std::vector<std::string>& args);
// ffprobe -v error ARGS, its standard output.
std::string ffprobe(const std::vector<std::string>& args);

}  // namespace horavex::testing
