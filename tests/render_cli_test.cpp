// horavex-render: its parsing, PNG and panel code directly, and the program
// itself by running it (exit codes, error lines, files written, --text
// lines).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <png.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/Host.h"
#include "adapter/ParamNames.h"
#include "tools/render/Arguments.h"
#include "tools/render/FrameEndpoints.h"
#include "tools/render/ParamPanel.h"
#include "tools/render/ParamValues.h"
#include "tools/render/PixelTransfer.h"
#include "tools/render/PngIo.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderFrames.h"
#include "tools/render/RenderSession.h"
#include "tools/render/StatusNames.h"
#include "tools/render/TestPattern.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// ---------------------------------------------------------------------------
// Helpers

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "horavex-render-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) result.push_back(line);
    return result;
}

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

const std::string kProgram = std::string(HORAVEX_TOOLS_DIR) + "/horavex-render";

// How the program's process is started beyond its arguments.
struct ProcessSetup {
    std::string workingDirectory;  // empty: the test's own
    long fileSizeLimit = -1;       // RLIMIT_FSIZE in bytes; -1: unchanged
};

// Runs the program with stdout and stderr into files (neither is a
// terminal, as in any script).
RunResult runProgram(const std::vector<std::string>& args, const ProcessSetup& setup = {}) {
    const TempDir dir;
    const std::string outPath = dir / "stdout";
    const std::string errPath = dir / "stderr";
    std::vector<std::string> argv{kProgram};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& arg : argv) cargs.push_back(arg.data());
    cargs.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) _exit(126);
        if (!setup.workingDirectory.empty() && chdir(setup.workingDirectory.c_str()) != 0) _exit(126);
        if (setup.fileSizeLimit >= 0) {
            // Writes past the limit then fail with EFBIG instead of a signal.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit), static_cast<rlim_t>(setup.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        execv(kProgram.c_str(), cargs.data());
        _exit(127);
    }
    RunResult result;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.out = readText(outPath);
    result.err = readText(errPath);
    return result;
}

// Runs the program with stderr on a pseudo-terminal, as in a person's
// shell, and returns what the terminal received.
std::string runOnTerminal(const std::vector<std::string>& args, int& exitCode) {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    std::vector<std::string> argv{kProgram};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargs;
    for (std::string& arg : argv) cargs.push_back(arg.data());
    cargs.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull < 0 || dup2(devnull, STDOUT_FILENO) < 0 || dup2(slave, STDERR_FILENO) < 0) _exit(126);
        close(master);
        execv(kProgram.c_str(), cargs.data());
        _exit(127);
    }
    close(slave);
    std::string received;
    char buffer[4096];
    while (true) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO once the program has ended and everything is read
        received.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    int status = 0;
    exitCode = -1;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) exitCode = WEXITSTATUS(status);
    return received;
}

RgbaImage solidPicture(int width, int height, int depth, std::array<uint16_t, 4> rgba) {
    RgbaImage picture;
    picture.resize(width, height, depth);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 4; ++c) picture.pixel(x, y)[c] = rgba[static_cast<std::size_t>(c)];
        }
    }
    return picture;
}

void writePicture(const std::string& path, const RgbaImage& picture) {
    std::string error;
    ASSERT_TRUE(writePng(path, picture, error)) << error;
}

RgbaImage readPicture(const std::string& path) {
    RgbaImage picture;
    std::string error;
    EXPECT_TRUE(readPng(path, picture, error)) << path << ": " << error;
    return picture;
}

std::array<uint16_t, 4> at(const RgbaImage& picture, int x, int y) {
    const uint16_t* p = picture.pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
}

std::string pngHeaderInfo(const std::string& path) {
    // Bit depth and colour type straight from the IHDR chunk.
    const std::string bytes = readText(path);
    if (bytes.size() < 26) return "short";
    return std::to_string(static_cast<unsigned char>(bytes[24])) + "/" +
           std::to_string(static_cast<unsigned char>(bytes[25]));
}

// ---------------------------------------------------------------------------
// Value parsing

TEST(RenderCliValues, SizeTakesWidthByHeightWithinTheLimits) {
    const auto size = parseSize("1280x720");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1280);
    EXPECT_EQ(size->height, 720);
    EXPECT_TRUE(parseSize(" 16384X16384 "));
    for (const char* bad : {"0x5", "16385x10", "10x16385", "10x", "x10", "12.5x10", "-5x10", "10x10x10", "",
                            "99999999999999999999x1"}) {
        EXPECT_FALSE(parseSize(bad)) << bad;
    }
}

TEST(RenderCliValues, FramesAreOneFrameOrAnOrderedRange) {
    const auto range = parseFrames("0-25");
    ASSERT_TRUE(range);
    EXPECT_EQ(range->first, 0);
    EXPECT_EQ(range->last, 25);
    EXPECT_EQ(range->count(), 26);
    const auto single = parseFrames("7");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->first, 7);
    EXPECT_EQ(single->last, 7);
    const auto negative = parseFrames("-5--1");
    ASSERT_TRUE(negative);
    EXPECT_EQ(negative->first, -5);
    EXPECT_EQ(negative->last, -1);
    for (const char* bad : {"5-3", "a-b", "1-", "-", "", "1.5", "0-100000001", "1-2-3"}) {
        EXPECT_FALSE(parseFrames(bad)) << bad;
    }
}

TEST(RenderCliValues, NumbersAreFiniteAndWhole) {
    EXPECT_EQ(parseNumber("1e3"), 1000.0);
    EXPECT_EQ(parseNumber("+2"), 2.0);
    EXPECT_EQ(parseNumber(" -0.25 "), -0.25);
    for (const char* bad : {"nan", "inf", "-inf", "1e999", "", "1,5", "1.5x", "0x10"}) {
        EXPECT_FALSE(parseNumber(bad)) << bad;
    }
    EXPECT_EQ(parseRate("30000/1001"), 30000.0 / 1001.0);
    EXPECT_EQ(parseRate("25"), 25.0);
    EXPECT_EQ(parseRate(" 24000 / 1001 "), 24000.0 / 1001.0);
    for (const char* bad : {"30/0", "/1001", "30000/", "1/2/3", "x/1", "1e308/1e-308"}) {
        EXPECT_FALSE(parseRate(bad)) << bad;
    }
    EXPECT_EQ(parseWholeNumber("10"), 10);
    EXPECT_EQ(parseWholeNumber("1e2"), 100);
    EXPECT_FALSE(parseWholeNumber("3.5"));
    EXPECT_EQ(parseWholeNumber("1e20"), std::numeric_limits<int>::max());
    EXPECT_EQ(parseWholeNumber("-1e20"), std::numeric_limits<int>::min());
}

TEST(RenderCliValues, BooleansDepthsListsAndChoices) {
    for (const char* on : {"on", "ON", "true", "yes", "1"}) EXPECT_EQ(parseBoolean(on), true) << on;
    for (const char* off : {"off", "False", "no", "0"}) EXPECT_EQ(parseBoolean(off), false) << off;
    EXPECT_FALSE(parseBoolean("2"));
    EXPECT_FALSE(parseBoolean("enabled"));

    EXPECT_EQ(parseDepth("8"), PixelDepth::Byte);
    EXPECT_EQ(parseDepth("16"), PixelDepth::Short);
    EXPECT_EQ(parseDepth("float"), PixelDepth::Float);
    EXPECT_FALSE(parseDepth("12"));

    EXPECT_EQ(parseNumberList("1, 0.5 ,0,1", 4), (std::vector<double>{1, 0.5, 0, 1}));
    EXPECT_FALSE(parseNumberList("1,0.5,0", 4));
    EXPECT_FALSE(parseNumberList("1,0.5,0,1,1", 4));
    EXPECT_FALSE(parseNumberList("1,,0,1", 4));

    const std::vector<std::string> options{"Analogue Clock", "Digital Clock", "LED Clock"};
    EXPECT_EQ(parseChoice("Digital Clock", options), 1);
    EXPECT_EQ(parseChoice("led clock", options), 2);
    EXPECT_EQ(parseChoice("0", options), 0);
    EXPECT_EQ(parseChoice("2", options), 2);
    EXPECT_FALSE(parseChoice("3", options));
    EXPECT_FALSE(parseChoice("-1", options));
    EXPECT_FALSE(parseChoice("Digital", options));
}

TEST(RenderCliValues, ClosestNamesRankByEditDistanceOverNamesAndLabels) {
    EXPECT_EQ(editDistance("kitten", "sitting"), 3u);
    EXPECT_EQ(editDistance("", "abc"), 3u);
    EXPECT_EQ(editDistance("same", "same"), 0u);
    const std::vector<Candidate> candidates{
        {"Start Hour", {}}, {"Stop Hour", {}}, {"corner1", {"Clock Centre"}}, {"Start Minute", {}}};
    EXPECT_THAT(closestNames("Start Hours", candidates, 2), ElementsAre("Start Hour", "Stop Hour"));
    EXPECT_THAT(closestNames("clock centre", candidates, 1), ElementsAre("corner1"));
    EXPECT_EQ(closestNames("x", candidates, 10).size(), candidates.size());
}

TEST(RenderCliValues, FramePatternsPadTheFrameNumber) {
    EXPECT_TRUE(hasFramePlaceholder("clock_####.png"));
    EXPECT_FALSE(hasFramePlaceholder("clock.png"));
    EXPECT_EQ(expandFramePattern("clock_####.png", 7), "clock_0007.png");
    EXPECT_EQ(expandFramePattern("clock_##.png", 12345), "clock_12345.png");
    EXPECT_EQ(expandFramePattern("#/f_###.png", 3), "3/f_003.png");
    EXPECT_EQ(expandFramePattern("f_####.png", -7), "f_-007.png");
    EXPECT_EQ(expandFramePattern("f.png", 9), "f.png");
    EXPECT_EQ(expandFramePattern("#", std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

// ---------------------------------------------------------------------------
// Argument parsing

ParseResult parse(std::vector<std::string> args) { return parseArguments(args); }

TEST(RenderCliArguments, DefaultsAndBothOptionForms) {
    const ParseResult r = parse({"--out", "f_####.png", "--size=640x360", "--frames", "3-5", "--depth", "16",
                                 "--fps", "30", "--par=2"});
    ASSERT_TRUE(r.ok()) << r.error;
    const Options& o = r.options;
    EXPECT_EQ(o.mode, Mode::Render);
    EXPECT_EQ(o.resolvedContext(), Context::Generator);
    ASSERT_TRUE(o.size);
    EXPECT_EQ(o.size->width, 640);
    EXPECT_EQ(o.size->height, 360);
    EXPECT_EQ(o.frames.first, 3);
    EXPECT_EQ(o.frames.last, 5);
    EXPECT_EQ(o.depth, PixelDepth::Short);
    EXPECT_EQ(o.fps, 30.0);
    EXPECT_EQ(o.pixelAspectRatio, 2.0);
    EXPECT_EQ(o.pluginId, kDefaultPluginId);
    EXPECT_FALSE(o.bundle);
}

TEST(RenderCliArguments, SettingsSplitAtTheFirstEqualsSignAndKeepTheirOrder) {
    const ParseResult r = parse({"--text", "--set", "Dig Clock Free Format=%H=%M", "--set", " Start Hour =10",
                                 "--set=ClockChoice=1"});
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.options.settings.size(), 3u);
    EXPECT_EQ(r.options.settings[0].name, "Dig Clock Free Format");
    EXPECT_EQ(r.options.settings[0].value, "%H=%M");
    EXPECT_EQ(r.options.settings[1].name, "Start Hour");
    EXPECT_EQ(r.options.settings[1].value, "10");
    EXPECT_EQ(r.options.settings[2].name, "ClockChoice");
    EXPECT_EQ(r.options.settings[2].value, "1");
    EXPECT_FALSE(parse({"--text", "--set", "no equals sign"}).ok());
    EXPECT_FALSE(parse({"--text", "--set", "=5"}).ok());
}

TEST(RenderCliArguments, SourceChoosesTheFilterContextAndTheGeneratorHasNone) {
    const ParseResult implied = parse({"--source", "in.png", "--out", "o.png"});
    ASSERT_TRUE(implied.ok()) << implied.error;
    EXPECT_EQ(implied.options.resolvedContext(), Context::Filter);
    const ParseResult filter = parse({"--context", "filter", "--out", "o.png"});
    ASSERT_TRUE(filter.ok()) << filter.error;
    EXPECT_EQ(filter.options.resolvedContext(), Context::Filter);
    EXPECT_THAT(parse({"--context", "generator", "--source", "in.png", "--out", "o.png"}).error,
                HasSubstr("filter context"));
    EXPECT_FALSE(parse({"--context", "general", "--out", "o.png"}).ok());
}

TEST(RenderCliArguments, BadCommandLinesSayWhatIsWrong) {
    EXPECT_THAT(parse({"--size"}).error, HasSubstr("--size needs a value"));
    EXPECT_THAT(parse({"--sise", "10x10"}).error, AllOf(HasSubstr("unknown option --sise"), HasSubstr("--size")));
    EXPECT_THAT(parse({"render"}).error, HasSubstr("unexpected argument"));
    EXPECT_THAT(parse({"--size", "10"}).error, HasSubstr("WxH"));
    EXPECT_THAT(parse({"--fps", "0", "--out", "o.png"}).error, HasSubstr("--fps"));
    EXPECT_THAT(parse({"--fps", "nan", "--out", "o.png"}).error, HasSubstr("--fps"));
    EXPECT_THAT(parse({"--par", "-1", "--out", "o.png"}).error, HasSubstr("--par"));
    EXPECT_THAT(parse({"--text=1"}).error, HasSubstr("takes no value"));
    EXPECT_THAT(parse({"--list-params", "--text"}).error, HasSubstr("cannot be combined"));
    EXPECT_THAT(parse({"--frames", "0-9"}).error, HasSubstr("no --out"));
    EXPECT_THAT(parse({"--frames", "0-9", "--out", "clock.png"}).error, HasSubstr("####"));
    EXPECT_TRUE(parse({"--frames", "4", "--out", "clock.png"}).ok());
    EXPECT_TRUE(parse({"--text", "--frames", "0-9"}).ok());
    EXPECT_EQ(parse({"--help"}).options.mode, Mode::Help);
}

TEST(RenderCliArguments, VideoOptions) {
    // A video file holds every frame: no #### needed; the extension decides.
    const ParseResult video = parse({"--frames", "0-9", "--out", "clip.MOV", "--codec", "prores_ks", "--codec-option",
                                     "profile=4444", "--codec-option=vendor=apl0"});
    ASSERT_TRUE(video.ok()) << video.error;
    EXPECT_TRUE(writesVideo(video.options));
    EXPECT_EQ(video.options.codec.value_or(""), "prores_ks");
    ASSERT_EQ(video.options.codecOptions.size(), 2u);
    EXPECT_EQ(video.options.codecOptions[1].name, "vendor");
    EXPECT_EQ(video.options.codecOptions[1].value, "apl0");
    for (const char* name : {"a.mp4", "a.mkv", "a.webm", "dir.mp4/a.mov"}) EXPECT_TRUE(isVideoFileName(name)) << name;
    for (const char* name : {"a.png", "a.mp4/frame.png", "mp4", "a.avi"}) EXPECT_FALSE(isVideoFileName(name)) << name;

    const Options plain = parse({"--source", "clip.mp4", "--start-from-file", "--text"}).options;
    EXPECT_TRUE(plain.startFromFile.enabled);
    EXPECT_FALSE(plain.startFromFile.utc || plain.startFromFile.optional);
    const Options both = parse({"--source", "clip.mp4", "--start-from-file=UTC,optional", "--text"}).options;
    EXPECT_TRUE(both.startFromFile.utc && both.startFromFile.optional);
    // Its value comes only after "=": a following word is an argument of its own.
    EXPECT_THAT(parse({"--source", "clip.mp4", "--start-from-file", "utc", "--text"}).error,
                HasSubstr("unexpected argument \"utc\""));
    EXPECT_THAT(parse({"--source", "clip.mp4", "--start-from-file=later", "--text"}).error,
                HasSubstr("nothing, utc, optional"));

    EXPECT_THAT(parse({"--codec-option", "crf", "--out", "a.mp4"}).error, HasSubstr("key=value"));
    EXPECT_THAT(parse({"--codec", "libx264", "--out", "a_####.png"}).error, HasSubstr("for video output"));
    EXPECT_THAT(parse({"--source", "-", "--out", "a.mp4"}).error, HasSubstr("needs their --size"));
    EXPECT_TRUE(parse({"--source", "-", "--size", "8x8", "--out", "a.mp4"}).ok());
    // The speed script's switch is no suggestion.
    EXPECT_THAT(parse({"--no-clok"}).error, Not(HasSubstr("--no-clock")));
    EXPECT_TRUE(parse({"--no-clock", "--out", "a.mp4"}).options.noClock);
}

TEST(RenderCliArguments, CompressionLevelsAndTheRawStream) {
    EXPECT_EQ(parse({"--out", "o.png"}).options.compression, kDefaultCompression);
    EXPECT_EQ(parse({"--out", "o.png", "--compression", "9"}).options.compression, 9);
    EXPECT_EQ(parse({"--out", "o.png", "--compression=0"}).options.compression, 0);
    for (const char* bad : {"10", "-1", "1.5", "fast"}) {
        EXPECT_THAT(parse({"--out", "o.png", "--compression", bad}).error, HasSubstr("--compression")) << bad;
    }
    // One stream holds every frame: no #### needed.
    const ParseResult raw = parse({"--frames", "0-9", "--out", "-"});
    ASSERT_TRUE(raw.ok()) << raw.error;
    EXPECT_TRUE(writesRawStream(raw.options));
    EXPECT_FALSE(writesRawStream(parse({"--out", "o.png"}).options));
}

// ---------------------------------------------------------------------------
// Parameter values and the panel

ParamDescription paramOf(const std::string& name, ParamKind kind) {
    ParamDescription p;
    p.name = p.label = name;
    p.kind = kind;
    return p;
}

ParamDescription integerParam(const std::string& name, double min) {
    ParamDescription p = paramOf(name, ParamKind::Integer);
    p.min = min;
    p.defaultNumbers = {0};
    return p;
}

TEST(RenderCliParamValues, EachKindTakesItsOwnForm) {
    ParamDescription hour = integerParam("Start Hour", 0);
    hour.max = 23;
    EXPECT_EQ(parseParamValue(hour, "10").value->numbers, std::vector<double>{10});
    EXPECT_THAT(parseParamValue(hour, "-1").error, HasSubstr("the minimum is 0"));
    EXPECT_THAT(parseParamValue(hour, "24").error, HasSubstr("the maximum is 23"));
    EXPECT_THAT(parseParamValue(hour, "1.5").error, AllOf(HasSubstr("\"Start Hour\""), HasSubstr("whole number")));

    ParamDescription speed = paramOf("Speed Factor", ParamKind::Double);
    speed.min = 0.0;
    EXPECT_EQ(parseParamValue(speed, "20000").value->numbers, std::vector<double>{20000});
    EXPECT_FALSE(parseParamValue(speed, "-0.5").value);
    EXPECT_FALSE(parseParamValue(speed, "fast").value);

    const ParamDescription flag = paramOf("Use Hour Colour", ParamKind::Boolean);
    EXPECT_EQ(parseParamValue(flag, "on").value->numbers, std::vector<double>{1});
    EXPECT_EQ(parseParamValue(flag, "false").value->numbers, std::vector<double>{0});

    ParamDescription choice = paramOf("ClockChoice", ParamKind::Choice);
    choice.options = {"Analogue Clock", "Digital Clock", "LED Clock"};
    EXPECT_EQ(parseParamValue(choice, "LED Clock").value->numbers, std::vector<double>{2});
    EXPECT_THAT(parseParamValue(choice, "Sundial").error, AllOf(HasSubstr("2 \"LED Clock\""), HasSubstr("index")));

    const ParamDescription colour = paramOf("Main Colour", ParamKind::Rgba);
    EXPECT_EQ(parseParamValue(colour, "1,0.5,0,1").value->numbers, (std::vector<double>{1, 0.5, 0, 1}));
    EXPECT_THAT(parseParamValue(colour, "255,0,0,255").error, HasSubstr("from 0 to 1"));
    EXPECT_FALSE(parseParamValue(colour, "1,0,0").value);

    const ParamDescription centre = paramOf("corner1", ParamKind::Double2D);
    EXPECT_EQ(parseParamValue(centre, "0.25,-3").value->numbers, (std::vector<double>{0.25, -3}));
    EXPECT_FALSE(parseParamValue(centre, "0.25").value);

    const ParamDescription text = paramOf("Dig Clock Free Format", ParamKind::String);
    EXPECT_EQ(parseParamValue(text, " %H:%M ").value->text, " %H:%M ");

    const ParamDescription group = paramOf("KeyParams", ParamKind::Group);
    EXPECT_THAT(parseParamValue(group, "1").error, HasSubstr("holds no value"));
    const ParamDescription button = paramOf("Button_Font", ParamKind::PushButton);
    EXPECT_FALSE(parseParamValue(button, "1").value);
}

TEST(RenderCliParamValues, NumbersReadBackExactly) {
    EXPECT_EQ(formatNumber(0.5), "0.5");
    EXPECT_EQ(formatNumber(9999), "9999");
    EXPECT_EQ(formatNumber(0.001), "0.001");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(parseNumber(formatNumber(0.1 + 0.2)), 0.1 + 0.2);
}

TEST(RenderCliPanel, GroupsHoldTheirMembersAndChoicesListTheirOptions) {
    ParamDescription style = paramOf("ClockChoice", ParamKind::Choice);
    style.defaultNumbers = {0};
    style.options = {"Analogue Clock", "Digital Clock"};
    const ParamDescription group = paramOf("Time Parameters", ParamKind::Group);
    ParamDescription hour = integerParam("Start Hour", 0);
    hour.parent = "Time Parameters";
    hour.displayMin = 0;
    hour.displayMax = 23;
    ParamDescription font = paramOf("FontParam", ParamKind::String);
    font.label = "Font";
    font.parent = "Nowhere";
    font.defaultText = "27 0 0 0 400 34 Arial";
    font.secret = true;
    const std::string panel = formatParamPanel("Title", {style, group, hour, font});
    const std::vector<std::string> rows = lines(panel);
    ASSERT_GE(rows.size(), 8u);
    EXPECT_EQ(rows[0], "Title");
    EXPECT_THAT(rows[2], AllOf(StartsWith("ClockChoice "), HasSubstr("choice"), HasSubstr("default 0 \"Analogue Clock\"")));
    EXPECT_EQ(rows[3], "    option 0 \"Analogue Clock\"");
    EXPECT_EQ(rows[4], "    option 1 \"Digital Clock\"");
    EXPECT_THAT(rows[5], AllOf(StartsWith("Time Parameters "), HasSubstr("group")));
    EXPECT_THAT(rows[6], AllOf(StartsWith("    Start Hour "), HasSubstr("default 0; min 0; slider 0 to 23")));
    // A member of a group that does not exist stays visible at the top.
    EXPECT_THAT(rows[7], AllOf(StartsWith("FontParam "), HasSubstr("label \"Font\""),
                               HasSubstr("\"27 0 0 0 400 34 Arial\""), HasSubstr("hidden")));
}

TEST(RenderCliPanel, GroupsThatHangFromEachOtherAreStillShown) {
    ParamDescription a = paramOf("A", ParamKind::Group);
    a.parent = "B";
    ParamDescription b = paramOf("B", ParamKind::Group);
    b.parent = "A";
    const std::vector<std::string> rows = lines(formatParamPanel("T", {a, b}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_THAT(rows[2], StartsWith("A "));
    EXPECT_THAT(rows[3], StartsWith("    B "));
}

// ---------------------------------------------------------------------------
// Progress and status names

TEST(RenderCliProgress, ShowsFramesSpeedAndTimeLeft) {
    EXPECT_EQ(formatProgress(0, 50, 0.0), "frame 0 of 50");
    EXPECT_EQ(formatProgress(10, 50, 2.0), "frame 10 of 50, 5.0 fps, 0:08 left");
    EXPECT_EQ(formatProgress(50, 50, 2.0), "frame 50 of 50, 25.0 fps, 0:00 left");
    EXPECT_EQ(formatProgress(12, 0, 0.5), "frame 12, 24.0 fps");
    EXPECT_EQ(formatDuration(59.2), "1:00");
    EXPECT_EQ(formatDuration(3723), "1:02:03");
    EXPECT_EQ(formatDuration(-5), "0:00");
    EXPECT_EQ(formatDuration(1e300), formatDuration(1e301));  // saturates instead of overflowing
}

TEST(RenderCliProgress, WritesNothingWhenDisabledAndEndsItsLine) {
    const TempDir dir;
    const std::string path = dir / "progress";
    {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        {
            Progress quiet(2, false, file);
            quiet.frameDone();
            quiet.frameDone();
        }
        std::fclose(file);
    }
    EXPECT_EQ(readText(path), "");
    {
        std::FILE* file = std::fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        {
            Progress shown(2, true, file);
            shown.frameDone();
            shown.frameDone();
        }
        std::fclose(file);
    }
    const std::string text = readText(path);
    EXPECT_THAT(text, HasSubstr("frame 2 of 2"));
    EXPECT_EQ(text.back(), '\n');
}

TEST(RenderCliStatus, NamesTheStandardStatuses) {
    EXPECT_EQ(describeStatus(kOfxStatFailed), "kOfxStatFailed (1)");
    EXPECT_EQ(describeStatus(kOfxStatErrMemory), "kOfxStatErrMemory (8)");
    EXPECT_EQ(describeStatus(kOfxStatReplyDefault), "kOfxStatReplyDefault (14)");
    EXPECT_EQ(describeStatus(kOfxStatErrImageFormat), "kOfxStatErrImageFormat (1000)");
    EXPECT_EQ(describeStatus(4242), "status 4242");
}

// ---------------------------------------------------------------------------
// PNG files and pixel transfer

host::ImageSpec specOf(OfxRectI bounds, const char* depth) {
    host::ImageSpec layout;
    layout.bounds = bounds;
    layout.depth = depth;
    return layout;
}

TEST(RenderCliPng, EightAndSixteenBitPicturesReadBackExactly) {
    const TempDir dir;
    for (int depth : {8, 16}) {
        RgbaImage picture;
        picture.resize(5, 3, depth);
        for (std::size_t i = 0; i < picture.samples.size(); ++i) {
            picture.samples[i] = static_cast<uint16_t>((i * 7919) % (picture.maxSample() + 1u));
        }
        const std::string path = dir / joinText({"p", std::to_string(depth), ".png"});
        writePicture(path, picture);
        EXPECT_EQ(pngHeaderInfo(path), joinText({std::to_string(depth), "/6"}));  // RGBA
        const RgbaImage back = readPicture(path);
        EXPECT_EQ(back.width, 5);
        EXPECT_EQ(back.height, 3);
        EXPECT_EQ(back.bitDepth, depth);
        EXPECT_EQ(back.samples, picture.samples);
    }
}

TEST(RenderCliPng, GreyPicturesWithoutAlphaBecomeOpaqueRgba) {
    const TempDir dir;
    const std::string path = dir / "grey.png";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 2;
    image.height = 1;
    image.format = PNG_FORMAT_GRAY;
    const unsigned char pixels[2] = {10, 200};
    ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr), 0);
    const RgbaImage back = readPicture(path);
    ASSERT_EQ(back.bitDepth, 8);
    EXPECT_EQ(at(back, 0, 0), (std::array<uint16_t, 4>{10, 10, 10, 255}));
    EXPECT_EQ(at(back, 1, 0), (std::array<uint16_t, 4>{200, 200, 200, 255}));
}

TEST(RenderCliPng, UnreadableAndUnwritableFilesSayWhy) {
    const TempDir dir;
    RgbaImage picture;
    std::string error;
    EXPECT_FALSE(readPng(dir / "missing.png", picture, error));
    EXPECT_THAT(error, HasSubstr("No such file"));

    std::ofstream(dir / "text.png") << "hello, not a picture";
    EXPECT_FALSE(readPng(dir / "text.png", picture, error));
    EXPECT_EQ(error, "not a PNG file");

    const std::string good = dir / "good.png";
    writePicture(good, solidPicture(64, 64, 8, {1, 2, 3, 4}));
    const std::string whole = readText(good);
    std::ofstream(dir / "cut.png", std::ios::binary) << whole.substr(0, whole.size() / 2);
    EXPECT_FALSE(readPng(dir / "cut.png", picture, error));
    EXPECT_THAT(error, HasSubstr("damaged PNG"));

    std::ofstream(dir / "file") << "x";
    EXPECT_FALSE(writePng(dir / "file/x.png", solidPicture(1, 1, 8, {0, 0, 0, 0}), error));
    EXPECT_FALSE(error.empty());
}

TEST(RenderCliPixels, ImagesArePremultipliedBottomUpAndPicturesStraightTopDown) {
    host::ImageBuffer image(specOf({10, 20, 12, 22}, kOfxBitDepthByte));
    image.write(10, 21, OfxRGBAColourB{128, 64, 0, 128});  // top left
    image.write(11, 20, OfxRGBAColourB{9, 9, 9, 0});       // bottom right: nothing under zero alpha
    image.write(10, 20, OfxRGBAColourB{255, 255, 255, 255});
    const RgbaImage picture = imageToRgba(image);
    ASSERT_EQ(picture.bitDepth, 8);
    EXPECT_EQ(at(picture, 0, 0), (std::array<uint16_t, 4>{255, 128, 0, 128}));
    EXPECT_EQ(at(picture, 1, 1), (std::array<uint16_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(at(picture, 0, 1), (std::array<uint16_t, 4>{255, 255, 255, 255}));

    host::ImageBuffer back(specOf({10, 20, 12, 22}, kOfxBitDepthShort));
    rgbaToImage(picture, back);
    const auto topLeft = back.read<OfxRGBAColourS>(10, 21);
    EXPECT_EQ(topLeft.r, 32896);  // 255/255 * 128/255 of 65535
    EXPECT_EQ(topLeft.a, 32896);
    EXPECT_EQ(back.read<OfxRGBAColourS>(10, 20).g, 65535);
}

TEST(RenderCliPixels, FloatImagesBecomeSixteenBitPicturesClampedAndWithoutNaN) {
    host::ImageBuffer image(specOf({0, 0, 3, 1}, kOfxBitDepthFloat));
    image.write(0, 0, OfxRGBAColourF{0.25f, 0.5f, 2.0f, 0.5f});
    image.write(1, 0, OfxRGBAColourF{std::numeric_limits<float>::quiet_NaN(), 1.0f, -1.0f, 1.0f});
    image.write(2, 0, OfxRGBAColourF{0.5f, 0.5f, 0.5f, std::numeric_limits<float>::quiet_NaN()});
    const RgbaImage picture = imageToRgba(image);
    ASSERT_EQ(picture.bitDepth, 16);
    EXPECT_EQ(at(picture, 0, 0), (std::array<uint16_t, 4>{32768, 65535, 65535, 32768}));
    EXPECT_EQ(at(picture, 1, 0), (std::array<uint16_t, 4>{0, 65535, 0, 65535}));
    EXPECT_EQ(at(picture, 2, 0), (std::array<uint16_t, 4>{0, 0, 0, 0}));
    host::ImageBuffer wrong(specOf({0, 0, 2, 1}, kOfxBitDepthFloat));
    EXPECT_THROW(rgbaToImage(picture, wrong), std::invalid_argument);
}

TEST(RenderCliPattern, BarsOverARamp) {
    const RgbaImage pattern = makeTestPattern(70, 30);
    EXPECT_EQ(pattern.bitDepth, 16);
    EXPECT_EQ(at(pattern, 0, 0), (std::array<uint16_t, 4>{49151, 49151, 49151, 65535}));
    EXPECT_EQ(at(pattern, 15, 0), (std::array<uint16_t, 4>{49151, 49151, 0, 65535}));
    EXPECT_EQ(at(pattern, 69, 19), (std::array<uint16_t, 4>{0, 0, 49151, 65535}));
    EXPECT_EQ(at(pattern, 0, 29), (std::array<uint16_t, 4>{0, 0, 0, 65535}));
    EXPECT_EQ(at(pattern, 69, 20), (std::array<uint16_t, 4>{65535, 65535, 65535, 65535}));
    const RgbaImage tiny = makeTestPattern(1, 1);
    EXPECT_EQ(at(tiny, 0, 0)[3], 65535);
}

// ---------------------------------------------------------------------------
// The program

TEST(RenderCliProgram, HelpListsTheOptions) {
    const RunResult r = runProgram({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.out, AllOf(HasSubstr("Usage: horavex-render"), HasSubstr("--list-params"), HasSubstr("--text")));
    EXPECT_EQ(r.err, "");
}

TEST(RenderCliProgram, ListParamsShowsAllParameters) {
    const RunResult r = runProgram({"--list-params"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("generator context: 57 parameters"));
    const std::vector<const char*> names{
        param::kClockChoice, param::kCorner1, param::kMainColour, param::kBackgroundColour, param::kClockSize,
        param::kTimeParameters, param::kAnalogueClock, param::kRunBackwards, param::kSpeedFactor,
        param::kStartDay, param::kStartMonth, param::kStartYear, param::kStartHour, param::kStartMinute,
        param::kStartSecond, param::kStopDay, param::kStopMonth, param::kStopYear, param::kStopHour,
        param::kStopMinute, param::kStopSecond, param::kHourSize, param::kHourLength, param::kHourColour,
        param::kUseHourColour, param::kMinuteSize, param::kMinuteLength, param::kMinuteColour,
        param::kUseMinuteColour, param::kSecondSize, param::kSecondLength, param::kSecondColour,
        param::kUseSecondColour, param::kPointSize, param::kPointLength, param::kPointColour,
        param::kUsePointColour, param::kDigitalClock, param::kDigClockFormat, param::kButtonFont,
        param::kDigClockFreeFormat, param::kFontParam, param::kKeyParams, param::kKeyColour, param::kUseKeyColour,
        param::kTimerAndTimecode, param::kMode, param::kDurationHours, param::kDurationMinutes,
        param::kDurationSeconds, param::kDurationMilliseconds, param::kShowOvertime, param::kOvertimeColour,
        param::kUseOvertimeColour, param::kFixedWidthDigits, param::kFrameRate, param::kCustomFrameRate};
    ASSERT_EQ(names.size(), 57u);
    std::size_t paramRows = 0;
    for (const std::string& row : lines(r.out)) {
        const std::size_t start = row.find_first_not_of(' ');
        const std::size_t end = row.find("  ", start);
        if (start == std::string::npos || end == std::string::npos) continue;
        const std::string name = row.substr(start, end - start);
        if (std::find(names.begin(), names.end(), name) != names.end()) ++paramRows;
    }
    EXPECT_EQ(paramRows, 57u);
    EXPECT_THAT(r.out, HasSubstr("    Start Hour             integer      default 0; min 0; slider 0 to 23"));
    EXPECT_THAT(r.out, HasSubstr("option 13 \"Free Format\""));
    EXPECT_THAT(r.out, HasSubstr("option 15 \"Timecode drop-frame hh:mm:ss;ff\""));
    EXPECT_THAT(r.out, HasSubstr("    Mode                   choice       default 0 \"Time of Day\""));
    EXPECT_THAT(r.out, HasSubstr("    Fixed-width digits     boolean      default off"));
    EXPECT_THAT(r.out, HasSubstr("    Frame Rate             choice       default 0 \"From Host\""));
    EXPECT_THAT(r.out, HasSubstr("label \"Clock Centre\"; default 0.5,0.5"));
    const RunResult filter = runProgram({"--list-params", "--context", "filter"});
    EXPECT_EQ(filter.exitCode, 0) << filter.err;
    EXPECT_THAT(filter.out, HasSubstr("filter context: 57 parameters"));
}

TEST(RenderCliProgram, TextLinesFollowTheTimerModesAndTimecodes) {
    const RunResult countdown =
        runProgram({"--text", "--set", "Mode=Countdown", "--set", "Duration Minutes=0", "--set", "Duration Seconds=2",
                    "--set", "Show Overtime=on", "--set", "Dig Clock Format=hh:mm:ss.m", "--fps", "25", "--frames",
                    "0-100"});
    ASSERT_EQ(countdown.exitCode, 0) << countdown.err;
    const std::vector<std::string> rows = lines(countdown.out);
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows[0], "0 00:00:02.0");
    EXPECT_EQ(rows[30], "30 00:00:00.8");
    EXPECT_EQ(rows[50], "50 00:00:00.0");
    EXPECT_EQ(rows[60], "60 -00:00:00.4");
    EXPECT_EQ(rows[100], "100 -00:00:02.0");

    const RunResult held = runProgram({"--text", "--set", "Mode=2", "--set", "Duration Minutes=0", "--set",
                                       "Duration Seconds=1", "--set", "Dig Clock Format=3", "--frames", "50"});
    EXPECT_THAT(lines(held.out), ElementsAre("50 00:00:00"));

    // Never more than its duration: a stop before the start halts it at its
    // duration, and running backwards holds it there, whatever the start.
    for (const std::vector<std::string>& times :
         {std::vector<std::string>{"--set", "Start Hour=23", "--set", "Stop Hour=1"},
          std::vector<std::string>{"--set", "Start Hour=1", "--set", "Stop Second=2"},
          std::vector<std::string>{"--set", "Run clock backwards=on", "--set", "Start Hour=1"},
          std::vector<std::string>{"--set", "Run clock backwards=on"}}) {
        std::vector<std::string> args{"--text", "--frames", "50", "--set", "Mode=Countdown"};
        args.insert(args.end(), times.begin(), times.end());
        const RunResult full = runProgram(args);
        EXPECT_THAT(lines(full.out), ElementsAre("50 00:05:00.000")) << times[1] << " " << times[3];
    }

    const RunResult stopwatch = runProgram({"--text", "--set", "Mode=Stopwatch", "--set", "Start Hour=23", "--set",
                                            "Speed Factor=3600", "--set", "Dig Clock Format=3", "--fps", "1",
                                            "--frames", "1-2"});
    EXPECT_THAT(lines(stopwatch.out), ElementsAre("1 24:00:00", "2 25:00:00"));

    const RunResult drop = runProgram({"--text", "--set", "Dig Clock Format=Timecode drop-frame hh:mm:ss;ff",
                                       "--fps", "29.97", "--frames", "1799-1800"});
    EXPECT_THAT(lines(drop.out), ElementsAre("1799 00:00:59;29", "1800 00:01:00;02"));
}

// The start is the first frame's label; each frame adds the whole frames
// elapsed; a time of day wraps once at midnight; a countdown shows its zero.
TEST(RenderCliProgram, TimecodeLabelsStartWhereTheyAreSet) {
    auto run = [](std::vector<std::string> args) {
        args.insert(args.begin(), "--text");
        const RunResult r = runProgram(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return lines(r.out);
    };
    EXPECT_THAT(run({"--fps", "29.97", "--set", "Dig Clock Format=14", "--set", "Start Hour=10", "--frames", "0-1"}),
                ElementsAre("0 10:00:00:00", "1 10:00:00:01"));
    EXPECT_THAT(run({"--fps", "30000/1001", "--set", "Dig Clock Format=15", "--set", "Start Hour=10", "--frames",
                     "0"}),
                ElementsAre("0 10:00:00;00"));
    EXPECT_THAT(run({"--fps", "29.97", "--set", "Dig Clock Format=15", "--set", "Start Hour=10", "--frames",
                     "1800"}),
                ElementsAre("1800 10:01:00;02"));
    EXPECT_THAT(run({"--fps", "1", "--frames", "3", "--set", "Dig Clock Format=14", "--set", "Speed Factor=0.5",
                     "--set", "Start Hour=2", "--set", "Start Second=59"}),
                ElementsAre("3 02:01:00:00"));
    EXPECT_THAT(run({"--fps", "29.97", "--set", "Dig Clock Format=14", "--set", "Start Hour=23", "--set",
                     "Start Minute=59", "--set", "Start Second=59", "--frames", "29-30"}),
                ElementsAre("29 23:59:59:29", "30 00:00:00:00"));
    EXPECT_THAT(run({"--fps", "29.97", "--set", "Dig Clock Format=15", "--set", "Start Hour=23", "--set",
                     "Start Minute=59", "--set", "Start Second=59", "--frames", "29-32"}),
                ElementsAre("29 23:59:59;29", "30 00:00:00;00", "31 00:00:00;01", "32 00:00:00;02"));
    EXPECT_THAT(run({"--fps", "29.97", "--set", "Dig Clock Format=15", "--set", "Mode=Countdown", "--set",
                     "Duration Minutes=0", "--set", "Duration Seconds=1", "--set", "Show Overtime=on", "--frames",
                     "29-31"}),
                ElementsAre("29 00:00:00;01", "30 00:00:00;00", "31 -00:00:00;01"));
    // "Frame Rate" replaces the timeline's rate.
    EXPECT_THAT(run({"--fps", "25", "--set", "Frame Rate=30", "--set", "Dig Clock Format=14", "--frames", "60"}),
                ElementsAre("60 00:00:02:00"));
}

TEST(RenderCliProgram, TextLinesFollowTheDigitalFormat) {
    const RunResult r = runProgram({"--text", "--set", "ClockChoice=Digital Clock", "--set", "Start Hour=10",
                                    "--fps", "25", "--frames", "0-25"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> rows = lines(r.out);
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows.front(), "0 10:00:00.000");
    EXPECT_EQ(rows[1], "1 10:00:00.040");
    EXPECT_EQ(rows.back(), "25 10:00:01.000");
    EXPECT_EQ(r.err, "");

    const RunResult backwards = runProgram({"--text", "--set", "Dig Clock Format=3", "--set", "Start Minute=1",
                                            "--set", "Run clock backwards=on", "--set", "Speed Factor=2",
                                            "--fps", "10", "--frames", "10-11"});
    ASSERT_EQ(backwards.exitCode, 0) << backwards.err;
    EXPECT_THAT(lines(backwards.out), ElementsAre("10 00:00:58", "11 00:00:57"));

    const RunResult date = runProgram({"--text", "--set", "Dig Clock Format=Date and Time (German)", "--set",
                                       "Start Day=24", "--set", "Start Month=12", "--set", "Start Year=2024",
                                       "--set", "Start Hour=18", "--frames", "50"});
    ASSERT_EQ(date.exitCode, 0) << date.err;
    EXPECT_THAT(lines(date.out), ElementsAre("50 24.12.2024 18:00:02"));

    // A free format may span lines; each frame still gets one.
    const RunResult free = runProgram({"--text", "--set", "Dig Clock Format=Free Format", "--set",
                                       "Dig Clock Free Format=%H\n%M", "--set", "Start Hour=7", "--frames", "0-1"});
    ASSERT_EQ(free.exitCode, 0) << free.err;
    EXPECT_THAT(lines(free.out), ElementsAre("0 07\\n00", "1 07\\n00"));

    const RunResult stopped = runProgram({"--text", "--set", "Stop Second=0.02", "--frames", "0-2"});
    ASSERT_EQ(stopped.exitCode, 0) << stopped.err;
    EXPECT_THAT(lines(stopped.out), ElementsAre("0 00:00:00.000", "1 00:00:00.020", "2 00:00:00.020"));
}

TEST(RenderCliProgram, UnknownParametersNameTheClosestOnes) {
    const RunResult r = runProgram({"--text", "--set", "Start Hours=3"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, AllOf(StartsWith("horavex-render: error: unknown parameter \"Start Hours\""),
                             HasSubstr("\"Start Hour\"")));
    EXPECT_EQ(lines(r.err).size(), 1u);
    EXPECT_EQ(r.out, "");
    const RunResult label = runProgram({"--text", "--set", "Clock Centre=0.5,0.5"});
    EXPECT_EQ(label.exitCode, 2);
    EXPECT_THAT(label.err, HasSubstr("closest: \"corner1\""));
}

TEST(RenderCliProgram, BadValuesAndBadOptionsEndWithTwo) {
    const RunResult value = runProgram({"--text", "--set", "Start Hour=ten"});
    EXPECT_EQ(value.exitCode, 2);
    EXPECT_THAT(value.err, HasSubstr("bad value \"ten\" for \"Start Hour\""));
    const RunResult choice = runProgram({"--text", "--set", "ClockChoice=Sundial"});
    EXPECT_EQ(choice.exitCode, 2);
    EXPECT_THAT(choice.err, HasSubstr("\"LED Clock\""));
    const RunResult button = runProgram({"--text", "--set", "Button_Font=1"});
    EXPECT_EQ(button.exitCode, 2);
    EXPECT_THAT(button.err, HasSubstr("holds no value"));
    const RunResult option = runProgram({"--frames", "0-x", "--text"});
    EXPECT_EQ(option.exitCode, 2);
    EXPECT_THAT(option.err, HasSubstr("--frames"));
    EXPECT_EQ(lines(option.err).size(), 1u);
}

TEST(RenderCliProgram, BundlesThatDoNotLoadOrLackThePluginEndWithThree) {
    const TempDir dir;
    const RunResult missing = runProgram({"--list-params", "--bundle", dir / "Nothing.ofx.bundle"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_THAT(missing.err, AllOf(HasSubstr("cannot load the plug-in bundle"), HasSubstr("Nothing.ofx.bundle")));
    EXPECT_EQ(lines(missing.err).size(), 1u);
#ifdef HORAVEX_HOST_TEST_MODULE_DIR
    const std::string modules = HORAVEX_HOST_TEST_MODULE_DIR;
    const RunResult other = runProgram({"--list-params", "--bundle", modules + "/FakeEffect.ofx.bundle"});
    EXPECT_EQ(other.exitCode, 3);
    EXPECT_THAT(other.err, AllOf(HasSubstr("has no plug-in \"de.quandel.horavex\""),
                                 HasSubstr("org.horavex.host.fakeeffect")));
    const RunResult broken = runProgram({"--list-params", "--bundle", modules + "/broken_no_entry_points.ofx"});
    EXPECT_EQ(broken.exitCode, 3);
    EXPECT_THAT(broken.err, HasSubstr("cannot load the plug-in bundle"));
#endif
}

TEST(RenderCliProgram, WritesOneQuietPngPerFrameAtTheRequestedDepth) {
    const TempDir dir;
    const RunResult r = runProgram({"--size", "64x36", "--frames", "8-10", "--out", dir / "sub/a_####.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // not a terminal: no progress
    EXPECT_EQ(r.out, "");
    for (const char* name : {"a_0008.png", "a_0009.png", "a_0010.png"}) {
        ASSERT_TRUE(fs::exists(dir.path() / "sub" / name)) << name;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "sub/a_0007.png"));
    EXPECT_FALSE(fs::exists(dir.path() / "sub/a_0011.png"));
    const std::string first = dir / "sub/a_0008.png";
    EXPECT_EQ(pngHeaderInfo(first), "8/6");
    const RgbaImage picture = readPicture(first);
    EXPECT_EQ(picture.width, 64);
    EXPECT_EQ(picture.height, 36);
    // Generator: transparent outside the clock, the opaque dial in the middle.
    EXPECT_EQ(at(picture, 0, 0)[3], 0);
    EXPECT_EQ(at(picture, 63, 35)[3], 0);
    EXPECT_EQ(at(picture, 28, 22)[3], 255);

    for (const char* depth : {"16", "float"}) {
        const std::string out = dir / (std::string("d_") + depth + ".png");
        const RunResult deep = runProgram({"--size", "32x18", "--depth", depth, "--set", "ClockChoice=2", "--out", out});
        ASSERT_EQ(deep.exitCode, 0) << deep.err;
        EXPECT_EQ(pngHeaderInfo(out), "16/6") << depth;
    }
}

TEST(RenderCliProgram, EachStyleDrawsItsOwnClock) {
    const TempDir dir;
    std::vector<RgbaImage> pictures;
    for (const char* style : {"Analogue Clock", "Digital Clock", "LED Clock"}) {
        const std::string out = dir / (std::string(style) + ".png");
        const RunResult r = runProgram({"--size", "192x108", "--set", std::string("ClockChoice=") + style, "--set",
                                        "ClockSize=0.9", "--set", "Background Colour=1,0,0,1", "--out", out});
        ASSERT_EQ(r.exitCode, 0) << style << ": " << r.err;
        EXPECT_EQ(r.err, "") << style;
        pictures.push_back(readPicture(out));
        const RgbaImage& p = pictures.back();
        EXPECT_EQ(at(p, 0, 0)[3], 0) << style;
        std::size_t background = 0;
        std::size_t main = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                const auto px = at(p, x, y);
                if (px == std::array<uint16_t, 4>{255, 0, 0, 255}) ++background;
                // White drawn over red: green shows where the main colour is.
                if (px[3] == 255 && px[1] > 100) ++main;
            }
        }
        EXPECT_GT(background, 200u) << style;
        EXPECT_GT(main, 30u) << style;
    }
    EXPECT_NE(pictures[0].samples, pictures[1].samples);
    EXPECT_NE(pictures[1].samples, pictures[2].samples);
    EXPECT_NE(pictures[0].samples, pictures[2].samples);
}

// The user gives "Clock Centre" as fractions of the frame; the tool hands it
// to its standard host in canonical coordinates, also with wide pixels.
TEST(RenderCliProgram, ClockCentreIsAFractionOfTheFrame) {
    const TempDir dir;
    for (const char* par : {"1", "2"}) {
        const std::string out = dir / (std::string("centre") + par + ".png");
        const RunResult r = runProgram({"--size", "192x108", "--par", par, "--set", "corner1=0.25,0.75", "--set",
                                        "ClockSize=0.4", "--set", "Background Colour=1,0,0,1", "--out", out});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const RgbaImage p = readPicture(out);
        int x1 = p.width, y1 = p.height, x2 = 0, y2 = 0;
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                if (at(p, x, y)[3] == 0) continue;
                x1 = std::min(x1, x);
                y1 = std::min(y1, y);
                x2 = std::max(x2, x + 1);
                y2 = std::max(y2, y + 1);
            }
        }
        // Pictures run from the top: a quarter from the left and the top.
        EXPECT_NEAR((x1 + x2) / 2.0, 48.0, 3.0) << par;
        EXPECT_NEAR((y1 + y2) / 2.0, 27.0, 3.0) << par;
    }
}

TEST(RenderCliProgram, FilterPassesTheSourceOrTheTestPatternAroundTheClock) {
    const TempDir dir;
    const RunResult pattern = runProgram({"--context", "filter", "--size", "70x30", "--set", "ClockSize=0.2",
                                          "--out", dir / "pattern.png"});
    ASSERT_EQ(pattern.exitCode, 0) << pattern.err;
    const RgbaImage patterned = readPicture(dir / "pattern.png");
    EXPECT_EQ(at(patterned, 0, 0), (std::array<uint16_t, 4>{191, 191, 191, 255}));
    EXPECT_EQ(at(patterned, 69, 0), (std::array<uint16_t, 4>{0, 0, 191, 255}));
    EXPECT_EQ(at(patterned, 69, 29), (std::array<uint16_t, 4>{255, 255, 255, 255}));

    writePicture(dir / "source.png", solidPicture(40, 20, 8, {10, 100, 200, 255}));
    const RunResult sourced = runProgram({"--source", dir / "source.png", "--set", "ClockSize=0.2", "--out",
                                          dir / "sourced.png", "--set", "Background Colour=1,0,0,1"});
    ASSERT_EQ(sourced.exitCode, 0) << sourced.err;
    const RgbaImage result = readPicture(dir / "sourced.png");
    ASSERT_EQ(result.width, 40);  // the source's size
    ASSERT_EQ(result.height, 20);
    EXPECT_EQ(at(result, 0, 0), (std::array<uint16_t, 4>{10, 100, 200, 255}));
    EXPECT_EQ(at(result, 39, 19), (std::array<uint16_t, 4>{10, 100, 200, 255}));
    EXPECT_NE(at(result, 20, 10), (std::array<uint16_t, 4>{10, 100, 200, 255}));
}

TEST(RenderCliProgram, SourceAndOutputFileProblemsEndWithFour) {
    const TempDir dir;
    const RunResult missing = runProgram({"--source", dir / "missing.png", "--out", dir / "o.png"});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_THAT(missing.err, AllOf(HasSubstr("cannot read the source"), HasSubstr("missing.png")));
    EXPECT_EQ(lines(missing.err).size(), 1u);

    std::ofstream(dir / "text.png") << "not a picture";
    const RunResult notPng = runProgram({"--source", dir / "text.png", "--out", dir / "o.png"});
    EXPECT_EQ(notPng.exitCode, 4);
    EXPECT_THAT(notPng.err, HasSubstr("not a PNG file"));

    std::ofstream(dir / "file") << "x";
    const RunResult unwritable = runProgram({"--size", "16x16", "--out", dir / "file/o.png"});
    EXPECT_EQ(unwritable.exitCode, 4);
    EXPECT_THAT(unwritable.err, AllOf(HasSubstr("cannot write"), HasSubstr("file/o.png")));
    EXPECT_EQ(lines(unwritable.err).size(), 1u);

    writePicture(dir / "small.png", solidPicture(8, 8, 8, {0, 0, 0, 255}));
    const RunResult mismatch = runProgram({"--source", dir / "small.png", "--size", "16x16", "--out", dir / "o.png"});
    EXPECT_EQ(mismatch.exitCode, 2);
    EXPECT_THAT(mismatch.err, HasSubstr("is 8x8, not 16x16"));
}

// The program replaces only regular files, and only once a frame is whole:
// a write that fails leaves the path as it was, and paths that are not
// regular files (devices, links, pipes) are refused, not unlinked.
TEST(RenderCliProgram, OutputPathsAreReplacedWholeOrNotAtAll) {
    const TempDir dir;
    const std::string kept = "an earlier frame, kept";
    const std::string existing = dir / "o.png";
    std::ofstream(existing) << kept;
    const RunResult tooBig = runProgram({"--size", "64x64", "--out", existing}, ProcessSetup{{}, 200});
    EXPECT_EQ(tooBig.exitCode, 4);
    EXPECT_THAT(tooBig.err, AllOf(HasSubstr("cannot write"), HasSubstr("o.png")));
    EXPECT_EQ(readText(existing), kept);

    const std::string victim = dir / "victim.txt";
    std::ofstream(victim) << kept;
    fs::create_symlink(victim, dir / "link.png");
    ASSERT_EQ(mkfifo((dir / "pipe.png").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.png");
    for (const std::string name : {"link.png", "pipe.png", "folder.png"}) {
        const RunResult refused = runProgram({"--size", "16x16", "--out", dir / name});
        EXPECT_EQ(refused.exitCode, 4) << name;
        EXPECT_THAT(refused.err, AllOf(HasSubstr("not a regular file"), HasSubstr(name)));
    }
    EXPECT_TRUE(fs::is_symlink(dir / "link.png"));
    EXPECT_EQ(readText(victim), kept);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe.png"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.png"));

    const RunResult device = runProgram({"--size", "16x16", "--out", "/dev/null"});
    EXPECT_EQ(device.exitCode, 4);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // "-" is the raw stream on the standard output, never a file of that name.
    const RunResult stream = runProgram({"--size", "16x16", "--out", "-"}, ProcessSetup{dir.path().string(), -1});
    EXPECT_EQ(stream.exitCode, 0) << stream.err;
    EXPECT_EQ(stream.out.size(), 16u * 16u * 4u);
    EXPECT_FALSE(fs::exists(dir.path() / "-"));

    // A good write replaces the regular file and leaves no temporary behind.
    const RunResult good = runProgram({"--size", "16x16", "--out", existing});
    ASSERT_EQ(good.exitCode, 0) << good.err;
    EXPECT_EQ(readPicture(existing).width, 16);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_THAT(names, ElementsAre("folder.png", "link.png", "o.png", "pipe.png", "victim.txt"));
    EXPECT_EQ(fs::status(existing).permissions() & fs::perms::owner_read, fs::perms::owner_read);
}

// Any name the file system takes works, up to its longest, although the
// temporary file beside it carries the name too.
TEST(RenderCliProgram, TheLongestFileNamesWork) {
    const TempDir dir;
    const long longest = pathconf(dir.path().c_str(), _PC_NAME_MAX);
    ASSERT_GT(longest, 8);
    for (const long length : {250L, longest}) {
        std::string name(static_cast<std::size_t>(length), 'n');
        name.replace(name.size() - 4, 4, ".png");
        const RunResult r = runProgram({"--size", "16x16", "--out", dir / name});
        EXPECT_EQ(r.exitCode, 0) << length << ": " << r.err;
        EXPECT_EQ(readPicture(dir / name).width, 16) << length;
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 2u) << "no temporary is left behind";
}

// A long run keeps no record per frame: nothing reads the host's logs.
TEST(RenderCliFrames, LongRunsKeepTheHostsBookkeepingFlat) {
    const TempDir dir;
    const ParseResult parsed = parseArguments({"--size", "32x18", "--frames", "0-39", "--out", dir / "f_####.png"});
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    PluginSession session = openSession(HORAVEX_BUNDLE_PATH, parsed.options.pluginId,
                                         parsed.options.resolvedContext(), host::EffectConfig{});
    const std::unique_ptr<FrameSource> source = openFrameSource(parsed.options);
    const host::ImageSpec layout = frameLayout(FrameSize{32, 18}, PixelDepth::Byte, 1.0);
    source->start(layout);
    const std::unique_ptr<FrameSink> sink = openFrameSink(parsed.options, *source, layout, FrameRateRatio{25, 1});
    renderFrames(*session.effect, parsed.options, layout, *source, *sink, false);
    EXPECT_TRUE(fs::exists(dir.path() / "f_0039.png"));
    EXPECT_EQ(session.host->calls().size(), 0u);
    EXPECT_LE(session.host->actions().size(), 2u);
    EXPECT_EQ(session.host->images().records().size(), 0u);
    for (host::Clip* clip : session.effect->clips()) EXPECT_LE(clip->requests().size(), 1u) << clip->name();
}

TEST(RenderCliProgram, ProgressOnATerminalUnlessQuiet) {
    const TempDir dir;
    int exitCode = -1;
    const std::string shown = runOnTerminal({"--size", "16x16", "--frames", "0-2", "--out", dir / "t_#.png"}, exitCode);
    EXPECT_EQ(exitCode, 0) << shown;
    EXPECT_THAT(shown, AllOf(HasSubstr("frame 1 of 3"), HasSubstr("frame 3 of 3"), HasSubstr("left")));
    const std::string quiet =
        runOnTerminal({"--size", "16x16", "--frames", "0-2", "--quiet", "--out", dir / "q_#.png"}, exitCode);
    EXPECT_EQ(exitCode, 0) << quiet;
    EXPECT_EQ(quiet, "");
}

TEST(RenderCliProgram, ProgressOnRequest) {
    const TempDir dir;
    const RunResult r = runProgram({"--size", "16x16", "--frames", "0-1", "--progress", "--out", dir / "p_#.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_THAT(r.err, AllOf(HasSubstr("frame 2 of 2"), HasSubstr("fps")));
}

TEST(RenderCliProgram, TheRawStreamHoldsThePngFramesPixelsInOrder) {
    const TempDir dir;
    // LED digits of the frame counter: every frame differs from the one before.
    const std::vector<std::string> common{"--size", "160x90", "--frames", "0-2", "--set", "ClockChoice=2", "--set", "Dig Clock Format=10",
                                          "--set", "ClockSize=0.9"};
    std::vector<std::string> pngArgs = common;
    pngArgs.insert(pngArgs.end(), {"--out", dir / "p_#.png", "--compression", "9"});
    ASSERT_EQ(runProgram(pngArgs).exitCode, 0);
    std::vector<std::string> rawArgs = common;
    rawArgs.insert(rawArgs.end(), {"--out", "-"});
    const RunResult raw = runProgram(rawArgs);
    ASSERT_EQ(raw.exitCode, 0) << raw.err;
    const std::size_t frameBytes = 160 * 90 * 4;
    ASSERT_EQ(raw.out.size(), 3 * frameBytes);
    for (int frame = 0; frame < 3; ++frame) {
        const RgbaImage picture = readPicture(dir / ("p_" + std::to_string(frame) + ".png"));
        std::size_t differing = 0;
        for (std::size_t i = 0; i < frameBytes; ++i) {
            differing += static_cast<unsigned char>(raw.out[frame * frameBytes + i]) != picture.samples[i];
        }
        EXPECT_EQ(differing, 0u) << "frame " << frame;
    }
    EXPECT_NE(raw.out.substr(0, frameBytes), raw.out.substr(frameBytes, frameBytes));

    // Deeper frames: two bytes a sample, low byte first.
    const RunResult deep = runProgram({"--size", "8x4", "--depth", "float", "--out", "-"});
    ASSERT_EQ(deep.exitCode, 0) << deep.err;
    EXPECT_EQ(deep.out.size(), 8u * 4 * 4 * 2);
}

#ifdef HORAVEX_HOST_TEST_MODULE_DIR
// The host's own small test plug-in fills the frame with one colour or
// copies the source: exact pixels through the whole program.
const std::string kFakeBundle = std::string(HORAVEX_HOST_TEST_MODULE_DIR) + "/FakeEffect.ofx.bundle";
const std::string kFakeId = "org.horavex.host.fakeeffect";

TEST(RenderCliProgram, AnyPluginByIdentifierRendersExactColours) {
    const TempDir dir;
    const RunResult r = runProgram({"--bundle", kFakeBundle, "--plugin", kFakeId, "--size", "4x3", "--set",
                                    "Colour=1,0.5,0,1", "--out", dir / "c.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const RgbaImage picture = readPicture(dir / "c.png");
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(at(picture, x, y), (std::array<uint16_t, 4>{255, 128, 0, 255}));
    }
}

TEST(RenderCliProgram, NumberedSourcesAreReadFrameByFrame) {
    const TempDir dir;
    RgbaImage first = solidPicture(3, 2, 16, {1000, 2000, 3000, 65535});
    first.pixel(0, 0)[0] = 65535;  // marks the top left
    writePicture(dir / "in_01.png", first);
    writePicture(dir / "in_02.png", solidPicture(3, 2, 16, {60000, 50000, 40000, 65535}));
    const RunResult r = runProgram({"--bundle", kFakeBundle, "--plugin", kFakeId, "--source", dir / "in_##.png",
                                    "--frames", "1-2", "--depth", "16", "--out", dir / "out_##.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const RgbaImage one = readPicture(dir / "out_01.png");
    const RgbaImage two = readPicture(dir / "out_02.png");
    EXPECT_EQ(one.samples, first.samples);
    EXPECT_EQ(at(two, 2, 1), (std::array<uint16_t, 4>{60000, 50000, 40000, 65535}));

    const RunResult gap = runProgram({"--bundle", kFakeBundle, "--plugin", kFakeId, "--source", dir / "in_##.png",
                                      "--frames", "1-3", "--out", dir / "gap_##.png"});
    EXPECT_EQ(gap.exitCode, 4);
    EXPECT_THAT(gap.err, HasSubstr("in_03.png"));
}
#endif

}  // namespace
}  // namespace horavex::cli
