#include "support/Processes.h"

#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace horavex::testing {

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "horavex-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDir::names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessSetup& setup) {
    const ScratchDir dir;
    const std::string outPath = dir / "stdout";
    const std::string errPath = dir / "stderr";
    std::vector<std::string> args = argv;
    std::vector<char*> cargs;
    for (std::string& arg : args) cargs.push_back(arg.data());
    cargs.push_back(nullptr);
    std::vector<std::string> environment = setup.environment;

    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open(setup.stdinFile.empty() ? "/dev/null" : setup.stdinFile.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, STDIN_FILENO) < 0 || dup2(out, STDOUT_FILENO) < 0 ||
            dup2(err, STDERR_FILENO) < 0) {
            _exit(126);
        }
        if (setup.fileSizeLimit >= 0) {
            // Writes past the limit then fail with EFBIG instead of a signal.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit), static_cast<rlim_t>(setup.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        for (std::string& variable : environment) putenv(variable.data());
        execvp(cargs[0], cargs.data());
        _exit(127);
    }
    ProcessResult result;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid) {
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    }
    result.out = readAll(outPath);
    result.err = readAll(errPath);
    return result;
}

ProcessResult runRender(const std::vector<std::string>& args, const ProcessSetup& setup) {
    std::vector<std::string> argv{std::string(HORAVEX_TOOLS_DIR) + "/horavex-render"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProcess(argv, setup);
}

bool ffmpeg(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProcessResult result = runProcess(argv);
    EXPECT_EQ(result.exitCode, 0) << "ffmpeg failed: " << result.err;
    return result.exitCode == 0;
}

std::string ffprobe(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"ffprobe", "-v", "error"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProcessResult result = runProcess(argv);
    EXPECT_EQ(result.exitCode, 0) << "ffprobe failed: " << result.err;
    return result.out;
}

}  // namespace horavex::testing

#endif
