#include "tools/render/Arguments.h"

#include <array>

#include "ofxapi/OfxNames.h"

namespace horavex::cli {

namespace {

enum class ValueKind { None, Required, OnlyAfterEquals };

struct OptionSpec {
    const char* name;
    ValueKind value;
    bool hidden = false;
};

constexpr ValueKind kNone = ValueKind::None;
constexpr ValueKind kValue = ValueKind::Required;

constexpr std::array kOptions{
    OptionSpec{"--bundle", kValue},      OptionSpec{"--plugin", kValue},
    OptionSpec{"--context", kValue},     OptionSpec{"--size", kValue},
    OptionSpec{"--depth", kValue},       OptionSpec{"--frames", kValue},
    OptionSpec{"--fps", kValue},         OptionSpec{"--par", kValue},
    OptionSpec{"--source", kValue},      OptionSpec{"--set", kValue},
    OptionSpec{"--out", kValue},         OptionSpec{"--list-params", kNone},
    OptionSpec{"--text", kNone},         OptionSpec{"--progress", kNone},
    OptionSpec{"--quiet", kNone},        OptionSpec{"--help", kNone},
    OptionSpec{"--compression", kValue}, OptionSpec{"--version", kNone},
    OptionSpec{"--codec", kValue},       OptionSpec{"--codec-option", kValue},
    OptionSpec{"--start-from-file", ValueKind::OnlyAfterEquals},
    OptionSpec{"--no-clock", kNone, true},
};

const OptionSpec* findOption(std::string_view name) {
    for (const OptionSpec& option : kOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

std::string unknownOption(std::string_view name) {
    std::vector<Candidate> candidates;
    for (const OptionSpec& option : kOptions) {
        if (!option.hidden) candidates.push_back({option.name, {}});
    }
    const std::vector<std::string> closest = closestNames(name, candidates, 1);
    if (closest.empty()) return joinText({"unknown option ", name});
    return joinText({"unknown option ", name, "; did you mean ", closest.front(), "?"});
}

// Applies one option's value; returns an error line or "".
std::string applyValue(Options& o, std::string_view name, const std::string& value) {
    const auto bad = [&](const char* expected) {
        return joinText({"bad value ", inQuotes(value), " for ", name, ": expected ", expected});
    };
    if (name == "--bundle") {
        if (value.empty()) return bad("the path of an OFX bundle or binary");
        o.bundle = value;
    } else if (name == "--plugin") {
        if (value.empty()) return bad("a plug-in identifier");
        o.pluginId = value;
    } else if (name == "--context") {
        const std::string lower = toLower(trimBlanks(value));
        if (lower == "generator") {
            o.context = Context::Generator;
        } else if (lower == "filter") {
            o.context = Context::Filter;
        } else {
            return bad("generator or filter");
        }
    } else if (name == "--size") {
        const std::optional<FrameSize> size = parseSize(value);
        if (!size) return bad("WxH, each side from 1 to 16384");
        o.size = size;
    } else if (name == "--depth") {
        const std::optional<PixelDepth> depth = parseDepth(value);
        if (!depth) return bad("8, 16 or float");
        o.depth = *depth;
    } else if (name == "--frames") {
        const std::optional<FrameRange> frames = parseFrames(value);
        if (!frames) return bad("one frame N or a range A-B with A <= B, frames within +-100000000");
        o.frames = *frames;
        o.framesGiven = true;
    } else if (name == "--fps") {
        const std::optional<double> fps = parseNumber(value);
        if (!fps || *fps <= 0.0 || *fps > 1000.0) return bad("frames per second above 0, at most 1000");
        o.fps = *fps;
        o.fpsGiven = true;
    } else if (name == "--par") {
        const std::optional<double> par = parseNumber(value);
        if (!par || *par < 0.01 || *par > 100.0) return bad("a pixel aspect ratio from 0.01 to 100");
        o.pixelAspectRatio = *par;
    } else if (name == "--source") {
        if (value.empty()) return bad("a video file, a PNG file or pattern, or - for a raw stream");
        o.source = value;
    } else if (name == "--set") {
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || trimBlanks(std::string_view(value).substr(0, equals)).empty()) {
            return bad("\"Name=value\"");
        }
        o.settings.push_back(
            {std::string(trimBlanks(std::string_view(value).substr(0, equals))), value.substr(equals + 1)});
    } else if (name == "--out") {
        if (value.empty()) return bad("a file name pattern such as clock_####.png, or - for a raw stream");
        o.out = value;
    } else if (name == "--compression") {
        const std::optional<double> level = parseNumber(value);
        if (!level || *level < 0.0 || *level > 9.0 || *level != static_cast<int>(*level)) {
            return bad("a whole number from 0 (fastest) to 9 (smallest files)");
        }
        o.compression = static_cast<int>(*level);
    } else if (name == "--codec") {
        if (trimBlanks(value).empty()) return bad("an encoder's name, such as libx264 or prores_ks");
        o.codec = std::string(trimBlanks(value));
    } else if (name == "--codec-option") {
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || trimBlanks(std::string_view(value).substr(0, equals)).empty()) {
            return bad("key=value, such as crf=18 or preset=fast");
        }
        o.codecOptions.push_back(
            {std::string(trimBlanks(std::string_view(value).substr(0, equals))), value.substr(equals + 1)});
    } else if (name == "--start-from-file") {
        o.startFromFile.enabled = true;
        std::string_view rest = value;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string word = toLower(trimBlanks(rest.substr(0, comma)));
            if (word == "utc") {
                o.startFromFile.utc = true;
            } else if (word == "optional") {
                o.startFromFile.optional = true;
            } else {
                return bad("nothing, utc, optional or utc,optional");
            }
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    }
    return {};
}

std::string setMode(Options& o, Mode mode) {
    // --help and --version answer without rendering, whatever else is asked.
    if (o.mode == Mode::Help || o.mode == Mode::Version) return {};
    if (o.mode != Mode::Render && o.mode != mode) return "--list-params and --text cannot be combined";
    o.mode = mode;
    return {};
}

std::string checkCombinations(const Options& o) {
    if (o.mode == Mode::Help || o.mode == Mode::Version) return {};
    if (o.source && o.context == Context::Generator) {
        return "--source needs the filter context; the generator context has no source clip";
    }
    if (readsRawStream(o) && !o.size) {
        return "--source - reads raw RGBA frames and needs their --size (and --fps, else 25)";
    }
    if (o.startFromFile.enabled && (!o.source || readsRawStream(o))) {
        return "--start-from-file needs a video file as --source";
    }
    if (o.mode != Mode::Render) return {};
    if (!o.out) return "no --out given: say where to write the frames, e.g. --out clock_####.png";
    if ((o.codec || !o.codecOptions.empty()) && !writesVideo(o)) {
        return "--codec and --codec-option are for video output (--out FILE.mp4, .mov, .mkv or .webm)";
    }
    if (o.frames.count() > 1 && !writesRawStream(o) && !writesVideo(o) && !hasFramePlaceholder(*o.out)) {
        return joinText({"--out ", inQuotes(*o.out), " has no #### for the frame number, but ",
                         std::to_string(o.frames.count()), " frames are to be written"});
    }
    return {};
}

}  // namespace

bool writesRawStream(const Options& options) {
    return options.out && *options.out == kRawStreamOut;
}

bool readsRawStream(const Options& options) {
    return options.source && *options.source == kRawStreamOut;
}

bool isVideoFileName(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return false;
    const std::string extension = toLower(path.substr(dot));
    return extension == ".mp4" || extension == ".mov" || extension == ".mkv" || extension == ".webm";
}

bool writesVideo(const Options& options) { return options.out && isVideoFileName(*options.out); }

Context Options::resolvedContext() const {
    if (context) return *context;
    return source ? Context::Filter : Context::Generator;
}

ParseResult parseArguments(const std::vector<std::string>& args) {
    ParseResult result;
    Options& o = result.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h") {
            o.mode = Mode::Help;
            continue;
        }
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            result.error = joinText({"unexpected argument ", inQuotes(arg), "; options start with --"});
            return result;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionSpec* option = findOption(name);
        if (option == nullptr) {
            result.error = unknownOption(name);
            return result;
        }
        if (option->value == ValueKind::OnlyAfterEquals) {
            const std::string error =
                applyValue(o, name, equals == std::string::npos ? std::string() : arg.substr(equals + 1));
            if (!error.empty()) {
                result.error = error;
                return result;
            }
            continue;
        }
        if (option->value == ValueKind::None) {
            if (equals != std::string::npos) {
                result.error = joinText({name, " takes no value"});
                return result;
            }
            std::string error;
            if (name == "--list-params") error = setMode(o, Mode::ListParams);
            if (name == "--text") error = setMode(o, Mode::Text);
            if (name == "--progress") o.progress = ProgressMode::Always;
            if (name == "--quiet") o.progress = ProgressMode::Never;
            if (name == "--help") o.mode = Mode::Help;
            if (name == "--version" && o.mode != Mode::Help) o.mode = Mode::Version;
            if (name == "--no-clock") o.noClock = true;
            if (!error.empty()) {
                result.error = error;
                return result;
            }
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            result.error = joinText({name, " needs a value"});
            return result;
        }
        const std::string error = applyValue(o, name, value);
        if (!error.empty()) {
            result.error = error;
            return result;
        }
    }
    result.error = checkCombinations(o);
    return result;
}

const char* contextName(Context context) { return context == Context::Filter ? "filter" : "generator"; }

const char* ofxContextName(Context context) {
    return context == Context::Filter ? kOfxImageEffectContextFilter : kOfxImageEffectContextGenerator;
}

std::string usageText() {
    return R"(Usage: horavex-render [options] --out PATTERN      render frames to PNG files
       horavex-render [options] --out FILE.mp4     ... or to a video file
       horavex-render [options] --list-params       show the parameter set
       horavex-render [options] --text              print each frame's time text

Loads the Horavex OFX plug-in from its bundle, as an OFX host does, and
renders frames with it.

Options:
  --bundle PATH         the plug-in bundle (default: Horavex.ofx.bundle beside
                        the folder of this program, as in a build, else
                        where an installation puts it)
  --plugin ID           the plug-in in the bundle (default de.quandel.horavex)
  --context C           generator or filter (default: filter with --source,
                        else generator)
  --size WxH            frame size in pixels (default: the source's size, else
                        1920x1080); each side 1 to 16384. A video source is
                        scaled to it
  --depth D             8, 16 or float pixels (default 8)
  --frames A-B          the frames to render, or one frame N (default 0; with
                        a video or raw source, all of its frames)
  --fps R               frames per second of the timeline (default 25; a
                        video source brings its own)
  --par P               pixel aspect ratio (default 1)
  --source FILE         the filter context's source: a video file (any that
                        FFmpeg's libraries read), a PNG file, or a PNG pattern
                        whose #### takes the frame number (default: a built-in
                        test pattern)
  --source -            raw frames on the standard input, as --out - writes
                        them; needs --size
  --set "Name=value"    set a parameter by the name a host sees; repeatable.
                        Numbers; booleans on/off, true/false, 1/0; choices by
                        index or option label; RGBA as r,g,b,a; 2D as x,y;
                        strings as they are
  --start-from-file[=utc][,optional]
                        the start date and time from the video source's
                        creation time (local time, or UTC), or for the
                        timecode formats from its timecode; optional: a file
                        without them keeps the start as set
  --out PATTERN         PNG files to write; #### becomes the frame number,
                        zero-padded to the number of #. 8-bit frames give
                        8-bit PNG, 16-bit and float frames 16-bit PNG.
                        Frames are encoded on all CPUs at once
  --out FILE.mp4        a video: .mp4 and .mkv H.264, .webm VP9, .mov H.264
                        or, in the generator context, ProRes 4444 with alpha.
                        A video source's audio, creation time and timecode go
                        along
  --codec NAME          the video encoder instead (libx264, prores_ks, ...)
  --codec-option K=V    an option of the encoder (crf=18, preset=fast,
                        pix_fmt=yuv444p); repeatable
  --out -               a raw stream on the standard output instead: each
                        frame's straight RGBA pixels, rows from the top, 8
                        bits a sample for 8-bit frames, else 16 bits little
                        endian (ffmpeg's rgba / rgba64le)
  --compression N       PNG compression from 0 (fastest) to 9 (smallest
                        files); default 1
  --list-params         show the parameters as a host's panel would
  --text                print "frame time-text" lines instead of rendering
  --progress, --quiet   always / never show progress (default: only when
                        stderr is a terminal)
  --help                show this text
  --version             show the versions of the program, of its drawing
                        libraries and of the plug-in it loads

Exit codes: 0 done, 1 a render failed, 2 bad command line or parameter value,
3 the bundle does not load or lacks the plug-in, 4 a file cannot be read or
written.
)";
}

}  // namespace horavex::cli
