#include "tools/render/RenderFrames.h"

#include <cstring>
#include <memory>
#include <string>

#include "host/Clip.h"
#include "ofxapi/OfxNames.h"
#include "tools/render/Interruption.h"
#include "tools/render/Progress.h"
#include "tools/render/RenderSession.h"
#include "tools/render/StatusNames.h"

namespace horavex::cli {

namespace {

const char* ofxDepth(PixelDepth depth) {
    switch (depth) {
        case PixelDepth::Byte: return kOfxBitDepthByte;
        case PixelDepth::Short: return kOfxBitDepthShort;
        case PixelDepth::Float: return kOfxBitDepthFloat;
    }
    return kOfxBitDepthByte;
}

// Drops what the host recorded about a finished frame. Its records of the
// images it handed out hold the images themselves, which would otherwise
// pile up frame after frame where each frame has images of its own.
void forgetFrame(host::Effect& effect) {
    effect.host().clearActions();
    effect.host().images().clear();
    for (host::Clip* clip : effect.clips()) clip->clearRequests();
}

// A host ends every sequence it begins, a failed frame included.
class SequenceScope {
public:
    SequenceScope(host::Effect& effect, double first, double last) : effect_(effect), first_(first), last_(last) {
        const OfxStatus status = effect_.beginSequenceRender(first_, last_);
        if (status != kOfxStatOK && status != kOfxStatReplyDefault) {
            throw CliError(kExitRenderFailed,
                           joinText({"the plug-in refused to begin the sequence: ", describeStatus(status)}));
        }
    }
    ~SequenceScope() { effect_.endSequenceRender(first_, last_); }
    SequenceScope(const SequenceScope&) = delete;
    SequenceScope& operator=(const SequenceScope&) = delete;

private:
    host::Effect& effect_;
    double first_;
    double last_;
};

}  // namespace

host::ImageSpec frameLayout(FrameSize size, PixelDepth depth, double pixelAspectRatio) {
    host::ImageSpec layout;
    layout.bounds = OfxRectI{0, 0, size.width, size.height};
    layout.depth = ofxDepth(depth);
    layout.pixelAspectRatio = pixelAspectRatio;
    return layout;
}

void renderFrames(host::Effect& effect, const Options& options, const host::ImageSpec& layout, FrameSource& source,
                  FrameSink& sink, bool showProgress) {
    host::Clip* sourceClip = effect.findClip(kOfxImageEffectSimpleSourceClipName);
    std::shared_ptr<host::ImageBuffer> sourceImage;
    if (sourceClip != nullptr) sourceImage = sourceClip->attachImage(layout);
    host::Clip& outputClip = effect.clip(kOfxImageEffectOutputClipName);
    std::shared_ptr<host::ImageBuffer> output = outputClip.attachImage(layout);

    const int64_t expected = source.info().frameCount;
    Progress progress(expected < 0 ? 0 : expected, showProgress);
    const double first = static_cast<double>(options.framesGiven ? options.frames.first : 0);
    const SequenceScope sequence(effect, first, first + static_cast<double>(expected > 0 ? expected - 1 : 0));
    while (true) {
        stopIfInterrupted();
        const std::shared_ptr<host::ImageBuffer> before = sourceImage;
        const std::optional<FrameStamp> stamp = source.next(sourceImage);
        if (!stamp) break;
        if (sourceClip != nullptr && sourceImage != before) sourceClip->setImage(sourceImage);
        if (options.noClock && sourceImage) {
            std::memcpy(output->memory(), sourceImage->memory(), output->memorySize());
        } else {
            // Whatever the plug-in leaves alone must not be the last frame's.
            output->fillBytes(std::byte{0});
            host::RenderArgs args;
            args.time = stamp->time;
            args.window = layout.bounds;
            args.sequentialStatus = 1;
            const OfxStatus status = effect.render(args);
            if (status != kOfxStatOK) {
                throw CliError(kExitRenderFailed, joinText({"frame ", std::to_string(stamp->frame),
                                                            ": the render returned ", describeStatus(status)}));
            }
        }
        const std::shared_ptr<host::ImageBuffer> rendered = output;
        sink.write(*stamp, output);
        if (output != rendered) outputClip.setImage(output);
        forgetFrame(effect);
        progress.frameDone();
    }
    stopIfInterrupted();
    sink.finish();
    progress.finish();
}

}  // namespace horavex::cli
