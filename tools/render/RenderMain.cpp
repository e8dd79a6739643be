// horavex-render: renders frames of the Horavex plug-in on the command line,
// through the in-tree OFX host, for people without a host at hand, for tests
// and for benchmarks. Run with --help for the options.
#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDERR_FILENO 2
#else
#include <malloc.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "core/clocktime/TimeText.h"
#include "core/clocktime/Timecode.h"
#include "tools/render/Arguments.h"
#include "tools/render/BundleLookup.h"
#include "tools/render/FrameEndpoints.h"
#include "tools/render/Interruption.h"
#include "tools/render/HostParams.h"
#include "tools/render/ParamPanel.h"
#include "tools/render/RenderFrames.h"
#include "tools/render/RenderSession.h"
#ifdef HORAVEX_VIDEO
#include "tools/render/StartFromFile.h"
#endif
#include "tools/render/TimeTextLines.h"
#include "tools/render/VersionReport.h"

#include "common/Sanitizers.h"

#if defined(HORAVEX_ASAN)
// The plug-in draws text through fontconfig, which keeps the values of its
// patterns at offsets instead of pointers, so the leak checker takes its
// caches for lost. The plug-in carries this suppression too, but the
// sanitizer runtime only reads it from the program.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
// Errors go to stderr as one line; the table of used suppressions would
// follow every digital render.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif

namespace horavex::cli {

namespace {

void printError(const std::string& message) {
    std::fprintf(stderr, "%s: error: %s\n", kProgramName, message.c_str());
}

std::string panelTitle(const PluginSession& session, Context context) {
    const host::PropertySet& props = session.host->descriptor().props();
    std::string label = session.plugin->pluginIdentifier;
    if (props.type(kOfxPropLabel) == host::PropertyType::String && props.dimension(kOfxPropLabel) > 0) {
        label = props.getString(kOfxPropLabel, 0);
    }
    return joinText({label, " ", std::to_string(session.plugin->pluginVersionMajor), ".",
                     std::to_string(session.plugin->pluginVersionMinor), " (", session.plugin->pluginIdentifier, "), ",
                     contextName(context), " context: ", std::to_string(session.effect->params().size()),
                     " parameters\nNames as a host sees them; set one with --set \"Name=value\"."});
}

void writeStdout(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        throw CliError(kExitFile, "cannot write to the standard output");
    }
}

void printNote(const std::string& message) { std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str()); }

std::string sizeText(FrameSize size) {
    return joinText({std::to_string(size.width), "x", std::to_string(size.height)});
}

std::string rateText(FrameRateRatio rate) {
    return rate.denominator == 1 ? std::to_string(rate.numerator)
                                 : joinText({std::to_string(rate.numerator), "/", std::to_string(rate.denominator)});
}

struct FrameSetup {
    FrameSize size;
    double fps = 25.0;
    FrameRateRatio rate{25, 1};
    double pixelAspectRatio = 1.0;
};

// The frame size: --size, else the source's; a video is scaled to --size, a
// PNG picture must match it. The rate and pixel aspect ratio: a video's own,
// else --fps and --par.
FrameSetup resolveFrameSetup(const Options& options, const FrameSource* source) {
    FrameSetup setup;
    setup.fps = options.fps;
    setup.rate = exactFrameRate(options.fps);
    if (!setup.rate.usable()) setup.rate = FrameRateRatio{25, 1};
    setup.pixelAspectRatio = options.pixelAspectRatio;
    setup.size = options.size.value_or(kDefaultSize);
    if (source == nullptr || !options.source || readsRawStream(options)) return setup;
    const SourceInfo& info = source->info();
    if (!info.rate) {
        if (options.size && (options.size->width != info.size.width || options.size->height != info.size.height)) {
            throw CliError(kExitBadCommandLine,
                           joinText({"the source ", inQuotes(expandFramePattern(*options.source, options.frames.first)),
                                     " is ", sizeText(info.size), ", not ", sizeText(*options.size), " like the frames"}));
        }
        setup.size = info.size;
        return setup;
    }
    if (options.fpsGiven) {
        throw CliError(kExitBadCommandLine, joinText({"--fps: the frame rate comes from the video source (",
                                                      rateText(*info.rate), " frames per second)"}));
    }
    setup.rate = *info.rate;
    setup.fps = static_cast<double>(info.rate->numerator) / static_cast<double>(info.rate->denominator);
    setup.pixelAspectRatio = info.pixelAspectRatio;
    if (options.size && (options.size->width != info.size.width || options.size->height != info.size.height)) {
        if (options.mode == Mode::Render) {
            printNote(joinText({"the source ", inQuotes(*options.source), " is ", sizeText(info.size),
                                "; its frames are scaled to ", sizeText(*options.size)}));
        }
    } else {
        setup.size = info.size;
    }
    return setup;
}

void takeStartFromFile(const PluginSession& session, const Options& options, const FrameSource& source,
                       const FrameSetup& setup) {
#ifndef HORAVEX_VIDEO
    (void)session;
    (void)options;
    (void)source;
    (void)setup;
    throw CliError(kExitBadCommandLine, "--start-from-file needs a build with video support (FFmpeg)");
#else
    const bool timecode = isTimecodeFormat(timeValuesAt(session.effect->params(), 0.0).digitalFormat);
    const StartSettings start = startFromFile(source.info(), options.startFromFile, timecode, setup.rate);
    const std::string error = applySettings(session.effect->params(), start.settings,
                                            [](host::Param&, double, double) {});
    if (!error.empty()) throw CliError(kExitFile, joinText({"--start-from-file: ", error}));
    if (!start.note.empty()) printNote(start.note);
#endif
}

bool wantsProgress(ProgressMode mode) {
    if (mode == ProgressMode::Always) return true;
    if (mode == ProgressMode::Never) return false;
    return isatty(STDERR_FILENO) == 1;
}

int run(const std::vector<std::string>& args) {
    const ParseResult parsed = parseArguments(args);
    if (!parsed.ok()) {
        throw CliError(kExitBadCommandLine, joinText({parsed.error, " (--help shows the options)"}));
    }
    const Options& options = parsed.options;
    if (options.mode == Mode::Help) {
        writeStdout(usageText());
        return kExitDone;
    }
    if (options.mode == Mode::Version) {
        // The program's own versions first: they are worth knowing most when
        // the bundle does not load.
        writeStdout(programVersionLines());
        if (std::fflush(stdout) != 0) throw CliError(kExitFile, "cannot write to the standard output");
        writeStdout(pluginVersionLine(options));
        if (std::fflush(stdout) != 0) throw CliError(kExitFile, "cannot write to the standard output");
        return kExitDone;
    }

    const Context context = options.resolvedContext();
    // The source decides the frame size and rate, so it is read before
    // anything else.
    std::unique_ptr<FrameSource> source;
    if (options.mode == Mode::Render || (options.source && !readsRawStream(options))) {
        source = openFrameSource(options);
    }
    const FrameSetup setup = resolveFrameSetup(options, source.get());

    host::EffectConfig config;
    config.frameRate = setup.fps;
    config.pixelAspectRatio = setup.pixelAspectRatio;
    config.projectSize = OfxPointD{setup.size.width * setup.pixelAspectRatio, static_cast<double>(setup.size.height)};
    config.duration = static_cast<double>(
        source && source->info().frameCount > 0 ? source->info().frameCount : options.frames.count());
    const PluginSession session =
        openSession(bundleToLoad(options), options.pluginId, context, config, !writesVideo(options));

    const std::string settingError =
        applySettings(session.effect->params(), options.settings, [&session](host::Param& param, double x, double y) {
            session.effect->setSpatialFraction(param.name(), x, y);
        });
    if (!settingError.empty()) throw CliError(kExitBadCommandLine, settingError);
    if (options.startFromFile.enabled) takeStartFromFile(session, options, *source, setup);

    switch (options.mode) {
        case Mode::ListParams:
            writeStdout(formatParamPanel(panelTitle(session, context), describeParams(session.effect->params())));
            break;
        case Mode::Text:
            for (int64_t frame = options.frames.first; frame <= options.frames.last; ++frame) {
                writeStdout(joinText({timeTextLine(session.effect->params(), frame, setup.fps), "\n"}));
            }
            break;
        case Mode::Render: {
            const host::ImageSpec layout = frameLayout(setup.size, options.depth, setup.pixelAspectRatio);
            source->start(layout);
            const std::unique_ptr<FrameSink> sink = openFrameSink(options, *source, layout, setup.rate);
            renderFrames(*session.effect, options, layout, *source, *sink, wantsProgress(options.progress));
            break;
        }
        case Mode::Help:
        case Mode::Version:
            break;
    }
    if (std::fflush(stdout) != 0) throw CliError(kExitFile, "cannot write to the standard output");
    return kExitDone;
}

}  // namespace

}  // namespace horavex::cli

int main(int argc, char** argv) {
    using namespace horavex::cli;
    // Every frame takes and gives back buffers of a frame's size; left to
    // itself the C library maps fresh pages for each, and faulting them in
    // costs more than rendering. Keep them in the heap for the next frame.
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1024 << 20);
#endif
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    catchInterruptions();
    try {
        return run(args);
    } catch (const CliError& e) {
        printError(e.what());
        if (interruption() != 0) endByInterruption(interruption());
        return e.exitCode();
    } catch (const std::bad_alloc&) {
        printError("not enough memory for frames of this size and depth");
        return kExitRenderFailed;
    } catch (const std::exception& e) {
        printError(joinText({"unexpected failure: ", e.what()}));
        return kExitRenderFailed;
    }
}
