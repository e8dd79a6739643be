// The sources stand in layers, and every include points inwards: the C API
// declarations and small utilities; the clock core; the OFX adapter; the
// in-tree host; the tools, tests, benchmarks and fuzzers. A file that reaches
// outwards, or two folders that include each other, would tie the pure
// computations to the host again without anyone noticing; this test names the
// file and the include instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot{HORAVEX_SOURCE_DIR};

// Inner to outer. A folder not listed here is an error of its own: a new top
// folder must say which layer it belongs to.
const std::map<std::string, int> kLayerOfTopFolder = {
    {"ofxapi", 0}, {"common", 0},                                //
    {"core", 1},                                                 //
    {"adapter", 2},                                              //
    {"host", 3},                                                 //
    {"tools", 4},  {"tests", 4},  {"bench", 4}, {"fuzz", 4},     //
};
const std::vector<std::string> kLayerNames = {"C API and utilities", "clock core", "OFX adapter", "in-tree host",
                                              "tools, tests, benchmarks and fuzzers"};

// Folders whose files are read as if they stood at the root of an include
// path, besides the repository's root (see the include directories in CMake).
const std::vector<fs::path> kIncludeRoots = {kRoot, kRoot / "tests"};

struct Include {
    std::string text;  // as written between the quotes
    int line = 0;
};

struct SourceFile {
    fs::path relative;  // to the repository's root
    std::vector<Include> includes;
    std::string content;
};

bool isSource(const fs::path& p) {
    const auto ext = p.extension().string();
    return ext == ".cpp" || ext == ".h" || ext == ".c" || ext == ".hpp";
}

std::string topFolder(const fs::path& relative) { return relative.begin()->string(); }

std::vector<SourceFile> readSources(const fs::path& root) {
    std::vector<SourceFile> files;
    const std::regex includeLine(R"(^\s*#\s*include\s*"([^"]+)\")");
    for (const auto& [top, layer] : kLayerOfTopFolder) {
        (void)layer;
        if (!fs::is_directory(root / top)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
            if (!entry.is_regular_file() || !isSource(entry.path())) continue;
            SourceFile file;
            file.relative = fs::relative(entry.path(), root);
            std::ifstream in(entry.path());
            std::ostringstream all;
            std::string text;
            for (int number = 1; std::getline(in, text); ++number) {
                all << text << '\n';
                std::smatch m;
                if (std::regex_search(text, m, includeLine)) file.includes.push_back({m[1].str(), number});
            }
            file.content = all.str();
            files.push_back(std::move(file));
        }
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.relative < b.relative; });
    return files;
}

// The file an include names, relative to the root: beside the including file
// first, then on the include roots. Includes of files outside the project
// (system or library headers written with quotes) resolve to nothing.
std::optional<fs::path> resolve(const fs::path& root, const SourceFile& from, const std::string& include) {
    std::vector<fs::path> candidates = {root / from.relative.parent_path() / include};
    for (const auto& includeRoot : kIncludeRoots) candidates.push_back(root / fs::relative(includeRoot, kRoot) / include);
    for (const auto& candidate : candidates) {
        if (fs::is_regular_file(candidate)) return fs::relative(fs::weakly_canonical(candidate), fs::weakly_canonical(root));
    }
    return std::nullopt;
}

std::optional<int> layerOf(const fs::path& relative) {
    const auto it = kLayerOfTopFolder.find(topFolder(relative));
    if (it == kLayerOfTopFolder.end()) return std::nullopt;
    return it->second;
}

// Every include that points to a layer further out than its own file's.
std::vector<std::string> outwardIncludes(const fs::path& root, const std::vector<SourceFile>& files) {
    std::vector<std::string> faults;
    for (const auto& file : files) {
        const int own = *layerOf(file.relative);
        for (const auto& include : file.includes) {
            const auto target = resolve(root, file, include.text);
            if (!target) continue;
            const auto layer = layerOf(*target);
            if (!layer) {
                faults.push_back(file.relative.generic_string() + ":" + std::to_string(include.line) + " includes \"" +
                                 include.text + "\", which is in no layer");
            } else if (*layer > own) {
                faults.push_back(file.relative.generic_string() + ":" + std::to_string(include.line) + " (" +
                                 kLayerNames[own] + ") includes \"" + include.text + "\" (" + kLayerNames[*layer] +
                                 ")");
            }
        }
    }
    return faults;
}

// Folders that reach each other through includes, each cycle once, with an
// include that closes it.
std::vector<std::string> folderCycles(const fs::path& root, const std::vector<SourceFile>& files) {
    std::map<std::string, std::map<std::string, std::string>> edges;  // from -> to -> an example
    for (const auto& file : files) {
        const auto from = file.relative.parent_path().generic_string();
        for (const auto& include : file.includes) {
            const auto target = resolve(root, file, include.text);
            if (!target) continue;
            const auto to = target->parent_path().generic_string();
            if (to != from)
                edges[from].emplace(to, file.relative.generic_string() + " includes \"" + include.text + "\"");
        }
    }
    const std::function<bool(const std::string&, const std::string&, std::set<std::string>&)> reaches =
        [&](const std::string& from, const std::string& to, std::set<std::string>& seen) {
            if (!seen.insert(from).second) return false;
            const auto it = edges.find(from);
            if (it == edges.end()) return false;
            for (const auto& [next, example] : it->second) {
                (void)example;
                if (next == to || reaches(next, to, seen)) return true;
            }
            return false;
        };
    std::vector<std::string> cycles;
    for (const auto& [from, targets] : edges) {
        for (const auto& [to, example] : targets) {
            std::set<std::string> seen;
            if (from < to && reaches(to, from, seen))
                cycles.push_back(from + " and " + to + " include each other (" + example + ", and back)");
        }
    }
    return cycles;
}

// A core file that names a host handle or suite type has started talking to
// the host; plain OFX data types (rectangles, colours) are fine.
std::vector<std::string> hostTypesInCore(const std::vector<SourceFile>& files) {
    const std::regex hostType(R"(\bOfx\w*(Handle|SuiteV\d+)\b)");
    std::vector<std::string> faults;
    for (const auto& file : files) {
        if (topFolder(file.relative) != "core") continue;
        std::smatch m;
        if (std::regex_search(file.content, m, hostType))
            faults.push_back(file.relative.generic_string() + " names the host type " + m[0].str());
    }
    return faults;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += "  " + l + "\n";
    return all;
}

}  // namespace

TEST(Layering, EveryIncludePointsToItsOwnLayerOrFurtherIn) {
    const auto files = readSources(kRoot);
    ASSERT_GT(files.size(), 100u) << "the sources were not found under " << kRoot;
    const auto faults = outwardIncludes(kRoot, files);
    EXPECT_TRUE(faults.empty()) << "includes that point outwards:\n" << joined(faults);
}

TEST(Layering, NoTwoFoldersIncludeEachOther) {
    const auto cycles = folderCycles(kRoot, readSources(kRoot));
    EXPECT_TRUE(cycles.empty()) << joined(cycles);
}

TEST(Layering, TheCoreNamesNoHostHandleOrSuite) {
    const auto faults = hostTypesInCore(readSources(kRoot));
    EXPECT_TRUE(faults.empty()) << joined(faults);
}

// The checks themselves, on a small tree of their own: an outward include, a
// pair of folders that include each other and a handle in the core are found,
// and a tree without them passes.
TEST(Layering, TheChecksFindWhatTheyLookFor) {
    const fs::path tree = fs::temp_directory_path() / ("horavex_layering_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(tree);
    const auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories((tree / path).parent_path());
        std::ofstream(tree / path) << text;
    };
    write("ofxapi/Api.h", "struct OfxRectI {};\n");
    write("core/a/A.h", "#include \"ofxapi/Api.h\"\n#include \"core/b/B.h\"\n");
    write("core/b/B.h", "#include <vector>\n");
    write("adapter/Render.h", "#include \"core/a/A.h\"\n");
    write("tests/x_test.cpp", "#include \"adapter/Render.h\"\n#include \"support/S.h\"\n");
    write("tests/support/S.h", "#include \"core/b/B.h\"\n");

    auto files = readSources(tree);
    ASSERT_EQ(files.size(), 6u);
    EXPECT_TRUE(outwardIncludes(tree, files).empty());
    EXPECT_TRUE(folderCycles(tree, files).empty());
    EXPECT_TRUE(hostTypesInCore(files).empty());

    write("core/b/B.h", "#include \"adapter/Render.h\"\n#include \"core/a/A.h\"\nOfxImageEffectHandle h;\n");
    files = readSources(tree);
    const auto outward = outwardIncludes(tree, files);
    ASSERT_EQ(outward.size(), 1u);
    EXPECT_NE(outward[0].find("core/b/B.h:1"), std::string::npos) << outward[0];
    EXPECT_NE(outward[0].find("adapter/Render.h"), std::string::npos) << outward[0];
    EXPECT_FALSE(folderCycles(tree, files).empty());
    ASSERT_EQ(hostTypesInCore(files).size(), 1u);
    fs::remove_all(tree);
}
