#include "tools/render/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
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

// The longest file name the folder's file system takes.
std::string::size_type longestName(const std::string& folder) {
    const long longest = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? static_cast<std::string::size_type>(longest) : std::string::size_type{255};
}

// ".name.XXXXXX" in the target's folder, so that the rename stays within one
// file system; the name is shortened where that would make the temporary
// name longer than the file system takes, so that any name it takes works.
std::string temporaryPattern(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    constexpr std::string::size_type kAdded = std::char_traits<char>::length("..XXXXXX");
    const std::string::size_type longest = longestName(folder);
    if (name.size() + kAdded > longest) {
        name.resize(longest > kAdded ? longest - kAdded : 0);
    }
    return folder + "." + name + ".XXXXXX";
}

// Makes an empty temporary file beside `target` (which must be a file name,
// and a regular file if it exists) and opens it; -1 with `error` set when
// that cannot be done.
int createTemporaryBeside(const std::string& target, std::string& temporary, std::string& error) {
    if (target.empty() || target.back() == '/') {
        error = "not a file name";
        return -1;
    }
    struct stat existing {};
    if (lstat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        error = "it exists and is not a regular file; it is left alone";
        return -1;
    }
    std::string pattern = temporaryPattern(target);
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = systemError(errno);
        return -1;
    }
    temporary = name.data();
    return fd;
}

}  // namespace

bool writeFileAtomically(const std::string& path, const FileContentWriter& write, std::string& error) {
    std::string temporary;
    const int fd = createTemporaryBeside(path, temporary, error);
    if (fd < 0) {
        return false;
    }
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
    const int fd = createTemporaryBeside(target, temporary_, error);
    if (fd < 0) {
        return false;
    }
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
