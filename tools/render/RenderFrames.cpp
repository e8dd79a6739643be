#include "tools/render/RenderFrames.h"

#include <cstdio>
#include <memory>
#include <string>

#include "host/Clip.h"
#include "ofxapi/OfxNames.h"
#include "tools/render/FrameWriter.h"
#include "tools/render/PixelTransfer.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderSession.h"
#include "tools/render/StatusNames.h"
#include "tools/render/TestPattern.h"

namespace horavex::cli {

namespace {

std::string sizeText(int width, int height) { return joinText({std::to_string(width), "x", std::to_string(height)}); }

const char* ofxDepth(PixelDepth depth) {
    switch (depth) {
        case PixelDepth::Byte: return kOfxBitDepthByte;
        case PixelDepth::Short: return kOfxBitDepthShort;
        case PixelDepth::Float: return kOfxBitDepthFloat;
    }
    return kOfxBitDepthByte;
}

RgbaImage readSource(const std::string& path) {
    RgbaImage picture;
    std::string error;
    if (!readPng(path, picture, error)) {
        throw CliError(kExitFile, joinText({"cannot read the source ", inQuotes(path), ": ", error}));
    }
    return picture;
}

void checkSourceSize(const RgbaImage& picture, const std::string& path, FrameSize size) {
    if (picture.width != size.width || picture.height != size.height) {
        throw CliError(kExitBadCommandLine,
                       joinText({"the source ", inQuotes(path), " is ", sizeText(picture.width, picture.height), ", not ",
                                 sizeText(size.width, size.height), " like the frames"}));
    }
}

// Drops what the host recorded about a finished frame.
void forgetFrame(host::Effect& effect) {
    effect.host().clearActions();
    for (host::Clip* clip : effect.clips()) clip->clearRequests();
}

// A host ends every sequence it begins, a failed frame included.
class SequenceScope {
public:
    SequenceScope(host::Effect& effect, FrameRange frames) : effect_(effect), frames_(frames) {
        const OfxStatus status = effect_.beginSequenceRender(first(), last());
        if (status != kOfxStatOK && status != kOfxStatReplyDefault) {
            throw CliError(kExitRenderFailed,
                           joinText({"the plug-in refused to begin the sequence: ", describeStatus(status)}));
        }
    }
    ~SequenceScope() { effect_.endSequenceRender(first(), last()); }
    SequenceScope(const SequenceScope&) = delete;
    SequenceScope& operator=(const SequenceScope&) = delete;

private:
    double first() const { return static_cast<double>(frames_.first); }
    double last() const { return static_cast<double>(frames_.last); }

    host::Effect& effect_;
    FrameRange frames_;
};

}  // namespace

std::optional<RgbaImage> readFirstSource(const Options& options) {
    if (!options.source) return std::nullopt;
    return readSource(expandFramePattern(*options.source, options.frames.first));
}

FrameSize resolveFrameSize(const Options& options, const std::optional<RgbaImage>& firstSource) {
    if (firstSource) {
        const FrameSize sourceSize{firstSource->width, firstSource->height};
        if (options.size) {
            checkSourceSize(*firstSource, expandFramePattern(*options.source, options.frames.first), *options.size);
        }
        return sourceSize;
    }
    return options.size.value_or(kDefaultSize);
}

void renderFrames(host::Effect& effect, const Options& options, FrameSize size,
                  const std::optional<RgbaImage>& firstSource, bool showProgress) {
    host::ImageSpec layout;
    layout.bounds = OfxRectI{0, 0, size.width, size.height};
    layout.depth = ofxDepth(options.depth);
    layout.pixelAspectRatio = options.pixelAspectRatio;

    std::shared_ptr<host::ImageBuffer> source;
    if (host::Clip* clip = effect.findClip(kOfxImageEffectSimpleSourceClipName)) {
        source = clip->attachImage(layout);
        rgbaToImage(firstSource ? *firstSource : makeTestPattern(size.width, size.height), *source);
    }
    const std::shared_ptr<host::ImageBuffer> output = effect.clip(kOfxImageEffectOutputClipName).attachImage(layout);
    const bool sourcePerFrame = source && options.source && hasFramePlaceholder(*options.source);

    FrameWriter writer(writesRawStream(options) ? std::function<std::string(int64_t)>{}
                                                : [&options](int64_t frame) {
                                                      return expandFramePattern(*options.out, frame);
                                                  },
                       options.compression, writesRawStream(options) ? stdout : nullptr);
    Progress progress(options.frames.count(), showProgress);
    const SequenceScope sequence(effect, options.frames);
    for (int64_t frame = options.frames.first; frame <= options.frames.last; ++frame) {
        if (sourcePerFrame && frame != options.frames.first) {
            const std::string path = expandFramePattern(*options.source, frame);
            const RgbaImage picture = readSource(path);
            checkSourceSize(picture, path, size);
            rgbaToImage(picture, *source);
        }
        // Whatever the plug-in leaves alone must not be the last frame's.
        output->fillBytes(std::byte{0});
        host::RenderArgs args;
        args.time = static_cast<double>(frame);
        args.window = layout.bounds;
        args.sequentialStatus = 1;
        const OfxStatus status = effect.render(args);
        if (status != kOfxStatOK) {
            throw CliError(kExitRenderFailed, joinText({"frame ", std::to_string(frame), ": the render returned ",
                                                        describeStatus(status)}));
        }
        writer.write(frame, *output);
        forgetFrame(effect);
        progress.frameDone();
    }
    writer.finish();
    progress.finish();
}

}  // namespace horavex::cli
