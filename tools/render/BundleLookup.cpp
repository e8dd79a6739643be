#include "tools/render/BundleLookup.h"

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#endif

#include <algorithm>
#include <string>
#include <system_error>

#include "tools/render/RenderSession.h"

namespace horavex::cli {

namespace fs = std::filesystem;

fs::path systemPluginFolder() {
#ifdef _WIN32
    PWSTR common = nullptr;
    fs::path folder = L"C:\\Program Files\\Common Files";
    if (SHGetKnownFolderPath(FOLDERID_ProgramFilesCommon, 0, nullptr, &common) == S_OK && common != nullptr) {
        folder = common;
    }
    CoTaskMemFree(common);
    return folder / "OFX" / "Plugins";
#else
    return "/usr/OFX/Plugins";
#endif
}

std::vector<fs::path> bundleSearchPaths(const fs::path& program, const fs::path& systemFolder) {
    std::vector<fs::path> paths;
    const auto add = [&paths](const fs::path& path) {
        const fs::path normal = path.lexically_normal();
        if (std::find(paths.begin(), paths.end(), normal) == paths.end()) paths.push_back(normal);
    };
    if (!program.empty()) {
        const fs::path up = program.parent_path() / "..";
        add(up / kBundleName);
        add(up / "OFX" / "Plugins" / kBundleName);
    }
    add(systemFolder / kBundleName);
    return paths;
}

fs::path runningProgram() {
#ifdef _WIN32
    std::wstring name(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) return {};
    name.resize(length);
    return fs::path(name);
#else
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return self;
#endif
}

std::optional<fs::path> findDefaultBundle(std::vector<fs::path>& searched) {
    searched = bundleSearchPaths(runningProgram(), systemPluginFolder());
    for (const fs::path& path : searched) {
        std::error_code error;
        if (fs::is_directory(path, error)) return path;
    }
    return std::nullopt;
}

fs::path bundleToLoad(const Options& options) {
    if (options.bundle) return fs::path(*options.bundle);
    std::vector<fs::path> searched;
    if (const std::optional<fs::path> found = findDefaultBundle(searched)) return *found;
    std::string places;
    for (std::size_t i = 0; i < searched.size(); ++i) {
        places += joinText({i == 0 ? "" : i + 1 == searched.size() ? " and " : ", ", inQuotes(searched[i].string())});
    }
    throw CliError(kExitBundle, joinText({"no plug-in bundle found: looked for ", places,
                                          "; name one with --bundle"}));
}

}  // namespace horavex::cli
