#include "tools/render/FrameEndpoints.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "tools/render/FrameWriter.h"
#include "tools/render/RawStreamSource.h"
#include "tools/render/RenderSession.h"
#include "tools/render/StillSource.h"
#ifdef HORAVEX_VIDEO
#include "tools/render/VideoReader.h"
#include "tools/render/VideoWriter.h"
#endif

namespace horavex::cli {

namespace {

#ifdef HORAVEX_VIDEO
bool startsLikePng(const std::string& path) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::ifstream in(path, std::ios::binary);
    char head[8] = {};
    return in.read(head, sizeof head) && std::memcmp(head, kSignature, sizeof head) == 0;
}

bool hasPngExtension(const std::string& path) {
    return path.size() >= 4 && toLower(std::string_view(path).substr(path.size() - 4)) == ".png";
}
#endif

}  // namespace

bool videoSupported() {
#ifdef HORAVEX_VIDEO
    return true;
#else
    return false;
#endif
}

std::unique_ptr<FrameSource> openFrameSource(const Options& options) {
    if (readsRawStream(options)) return std::make_unique<RawStreamSource>(options, stdin);
#ifdef HORAVEX_VIDEO
    if (options.source && !hasFramePlaceholder(*options.source) && !hasPngExtension(*options.source) &&
        !startsLikePng(*options.source)) {
        return std::make_unique<VideoReader>(*options.source,
                                             options.framesGiven ? std::optional<FrameRange>(options.frames)
                                                                 : std::nullopt);
    }
#endif
    return std::make_unique<StillSource>(options);
}

std::unique_ptr<FrameSink> openFrameSink(const Options& options, FrameSource& source, const host::ImageSpec& layout,
                                         FrameRateRatio rate) {
    if (writesRawStream(options)) return std::make_unique<FrameWriter>(nullptr, options.compression, stdout);
    const std::string& out = *options.out;
    if (writesVideo(options)) {
#ifdef HORAVEX_VIDEO
        VideoOutput video;
        video.path = out;
        video.wantsAlpha = options.resolvedContext() == Context::Generator;
        video.size = FrameSize{layout.bounds.x2 - layout.bounds.x1, layout.bounds.y2 - layout.bounds.y1};
        video.pixelAspectRatio = layout.pixelAspectRatio;
        video.rate = rate;
        video.timeBase = AVRational{static_cast<int>(rate.denominator), static_cast<int>(rate.numerator)};
        video.codec = options.codec;
        video.codecOptions = options.codecOptions;
        video.firstFrame = options.framesGiven ? std::max<int64_t>(options.frames.first, 0) : 0;
        if (auto* reader = dynamic_cast<VideoReader*>(&source)) {
            video.source = reader;
            video.timeBase = reader->timeBase();
        }
        return std::make_unique<VideoWriter>(video);
#else
        (void)layout;
        (void)rate;
        throw CliError(kExitBadCommandLine,
                       joinText({"--out ", inQuotes(out), ": this build of ", kProgramName,
                                 " writes no video files (it has no FFmpeg); write PNG files or --out -"}));
#endif
    }
    if (!hasFramePlaceholder(out) && source.info().frameCount != 1) {
        throw CliError(kExitBadCommandLine,
                       joinText({"--out ", inQuotes(out), " has no #### for the frame number, but the source gives ",
                                 source.info().frameCount < 0 ? std::string("any number of")
                                                              : std::to_string(source.info().frameCount),
                                 " frames; add --frames or #### in the name"}));
    }
    return std::make_unique<FrameWriter>([out](int64_t frame) { return expandFramePattern(out, frame); },
                                         options.compression, nullptr);
}

}  // namespace horavex::cli
