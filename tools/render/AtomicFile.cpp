#include "tools/render/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace horavex::cli {

namespace {

std::string systemError(int error) { return std::strerror(error); }

// The umask without changing it: umask() itself would set it for a moment,
// under the feet of threads creating files at the same time.
mode_t processUmask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Umask:", 0) == 0) {
                return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
            }
        }
        return static_cast<mode_t>(022);
    }();
    return mask;
}

// ".name.XXXXXX" in the target's folder, so that the rename stays within one
// file system.
std::string temporaryPattern(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder + "." + name + ".XXXXXX";
}

}  // namespace

bool writeFileAtomically(const std::string& path, const FileContentWriter& write, std::string& error) {
    if (path.empty() || path.back() == '/') {
        error = "not a file name";
        return false;
    }
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        error = "it exists and is not a regular file; it is left alone";
        return false;
    }

    std::string pattern = temporaryPattern(path);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    const std::string temporary(name.data());
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        error = systemError(errno);
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    bool written = write(file, error);
    if (written && fchmod(fd, 0666 & ~processUmask()) != 0) {
        error = systemError(errno);
        written = false;
    }
    // A full disk often shows only when the buffered rest is flushed.
    errno = 0;
    const bool closed = std::fclose(file) == 0;
    if (written && !closed) {
        error = systemError(errno);
        written = false;
    }
    if (written && std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = systemError(errno);
        written = false;
    }
    if (!written) {
        unlink(temporary.c_str());
    }
    return written;
}

TemporaryFileBeside::~TemporaryFileBeside() {
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool TemporaryFileBeside::create(const std::string& target, std::string& error) {
    if (target.empty() || target.back() == '/') {
        error = "not a file name";
        return false;
    }
    struct stat existing {};
    if (lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        error = "it exists and is not a regular file; it is left alone";
        return false;
    }
    std::string pattern = temporaryPattern(target);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    temporary_ = name.data();
    target_ = target;
    const bool permitted = fchmod(fd, 0666 & ~processUmask()) == 0;
    const int savedErrno = errno;
    close(fd);
    if (!permitted) {
        error = systemError(savedErrno);
        return false;
    }
    return true;
}

bool TemporaryFileBeside::commit(std::string& error) {
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        error = systemError(errno);
        return false;
    }
    temporary_.clear();
    return true;
}

}  // namespace horavex::cli
