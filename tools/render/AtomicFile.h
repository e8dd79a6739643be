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

}  // namespace horavex::cli
