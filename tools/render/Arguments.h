// The command line of horavex-render: what to load, what to render and where
// to put it. Parsing checks every option and value on its own and the
// combinations that cannot work; what needs the plug-in (parameter names
// and their values) is checked once it is loaded.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/render/ValueParsing.h"

namespace horavex::cli {

inline constexpr const char kProgramName[] = "horavex-render";
inline constexpr const char kDefaultPluginId[] = "de.quandel.horavex";
// --out - : raw frames on the standard output.
inline constexpr const char kRawStreamOut[] = "-";
// Fast by default: level 1 makes files a little larger than 6 in a fraction
// of the time.
inline constexpr int kDefaultCompression = 1;

enum class Mode { Render, ListParams, Text, Help, Version };
enum class Context { Generator, Filter };
enum class ProgressMode { Auto, Always, Never };

// One --set "Name=value": split at the first '='.
struct Setting {
    std::string name;
    std::string value;
};

// --start-from-file: the start date and time from the source's metadata.
struct StartFromFile {
    bool enabled = false;
    bool utc = false;       // the creation time in UTC rather than local time
    bool optional = false;  // a file without the metadata keeps the set start
};

struct Options {
    Mode mode = Mode::Render;
    std::optional<std::string> bundle;
    std::string pluginId = kDefaultPluginId;
    // Without --context: the filter context when a source is given, else
    // the generator context.
    std::optional<Context> context;
    // Without --size: the source image's size, else kDefaultSize.
    std::optional<FrameSize> size;
    PixelDepth depth = PixelDepth::Byte;
    FrameRange frames{0, 0};
    bool framesGiven = false;
    double fps = 25.0;
    bool fpsGiven = false;
    double pixelAspectRatio = 1.0;
    std::optional<std::string> source;
    std::vector<Setting> settings;
    std::optional<std::string> out;
    int compression = kDefaultCompression;
    ProgressMode progress = ProgressMode::Auto;
    // Video output: the encoder by name and its options, "key=value".
    std::optional<std::string> codec;
    std::vector<Setting> codecOptions;
    StartFromFile startFromFile;
    // Hidden: the frames pass from source to output without a render, the
    // yardstick the speed script measures the clock against.
    bool noClock = false;

    Context resolvedContext() const;
};

inline constexpr FrameSize kDefaultSize{1920, 1080};

struct ParseResult {
    Options options;
    // Empty when the command line is good; else one line saying what is
    // wrong with it.
    std::string error;
    bool ok() const { return error.empty(); }
};

// `args` without the program name. "--name value" and "--name=value" both
// work.
ParseResult parseArguments(const std::vector<std::string>& args);

std::string usageText();

// True for --out -.
bool writesRawStream(const Options& options);
// True for --source -.
bool readsRawStream(const Options& options);
// True when --out names a video file: .mp4, .mov, .mkv or .webm.
bool writesVideo(const Options& options);
bool isVideoFileName(std::string_view path);

const char* contextName(Context context);  // "generator" or "filter"
const char* ofxContextName(Context context);

}  // namespace horavex::cli
