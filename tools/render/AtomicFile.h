// Writing an output file without ever harming what the path named before:
// the content goes to a new temporary file beside the target, which is
// renamed into place only once it is complete. A failed write removes only
// that temporary file. An existing target that is not a regular file (a
// device, a folder, a symbolic link, a pipe) is refused, never replaced.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace horavex::cli {

// Fills an open file; returns false with `error` saying why. It need not
// close or flush the file.
using FileContentWriter = std::function<bool(std::FILE* file, std::string& error)>;

// Writes `path` through `write` as above. Returns false with `error` saying
// why; the path is then as it was. The new file gets the permissions a newly
// created file gets (0666 less the process's umask).
bool writeFileAtomically(const std::string& path, const FileContentWriter& write, std::string& error);

// The same for writers that open files by name: a new empty file beside the
// target, under a name of its own, which commit() renames over the target.
// Until then the target is as it was; the file is removed unless committed.
class TemporaryFileBeside {
public:
    TemporaryFileBeside() = default;
    ~TemporaryFileBeside();
    TemporaryFileBeside(const TemporaryFileBeside&) = delete;
    TemporaryFileBeside& operator=(const TemporaryFileBeside&) = delete;

    // False with `error` saying why (a folder that is not writable, a target
    // that is not a regular file).
    bool create(const std::string& target, std::string& error);
    const std::string& path() const { return temporary_; }
    bool commit(std::string& error);

private:
    std::string target_;
    std::string temporary_;
};

}  // namespace horavex::cli
