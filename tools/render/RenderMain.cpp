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

#include "tools/render/Arguments.h"
#include "tools/render/BundleLookup.h"
#include "tools/render/HostParams.h"
#include "tools/render/ParamPanel.h"
#include "tools/render/RenderFrames.h"
#include "tools/render/RenderSession.h"
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
    // The source decides the frame size, so it is read before anything else.
    const std::optional<RgbaImage> firstSource =
        options.mode == Mode::Render ? readFirstSource(options) : std::nullopt;
    const FrameSize size = resolveFrameSize(options, firstSource);

    host::EffectConfig config;
    config.frameRate = options.fps;
    config.pixelAspectRatio = options.pixelAspectRatio;
    config.projectSize = OfxPointD{size.width * options.pixelAspectRatio, static_cast<double>(size.height)};
    config.duration = static_cast<double>(options.frames.count());
    const PluginSession session =
        openSession(bundleToLoad(options), options.pluginId, context, config);

    const std::string settingError =
        applySettings(session.effect->params(), options.settings, [&session](host::Param& param, double x, double y) {
            session.effect->setSpatialFraction(param.name(), x, y);
        });
    if (!settingError.empty()) throw CliError(kExitBadCommandLine, settingError);

    switch (options.mode) {
        case Mode::ListParams:
            writeStdout(formatParamPanel(panelTitle(session, context), describeParams(session.effect->params())));
            break;
        case Mode::Text:
            for (int64_t frame = options.frames.first; frame <= options.frames.last; ++frame) {
                writeStdout(joinText({timeTextLine(session.effect->params(), frame, options.fps), "\n"}));
            }
            break;
        case Mode::Render:
            renderFrames(*session.effect, options, size, firstSource, wantsProgress(options.progress));
            break;
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
    try {
        return run(args);
    } catch (const CliError& e) {
        printError(e.what());
        return e.exitCode();
    } catch (const std::bad_alloc&) {
        printError("not enough memory for frames of this size and depth");
        return kExitRenderFailed;
    } catch (const std::exception& e) {
        printError(joinText({"unexpected failure: ", e.what()}));
        return kExitRenderFailed;
    }
}
