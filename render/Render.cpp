#include "render/Render.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "clocktime/ComputeShownTime.h"
#include "clocktime/HostTimeText.h"
#include "drawing/DrawingSurface.h"
#include "ofxapi/OfxNames.h"
#include "params/FontParam.h"
#include "params/Snapshot.h"
#include "render/ClockGeometry.h"
#include "render/ClockPicture.h"
#include "render/DrawClock.h"
#include "render/HostFrame.h"
#include "render/ImageChecks.h"
#include "render/PixelAddress.h"
#include "render/Processor.h"
#include "shell/EffectAccess.h"
#include "shell/Exceptions.h"
#include "shell/ImageAccess.h"
#include "shell/Instance.h"
#include "shell/MultiThreadAccess.h"

namespace horavex {

namespace {

// Gives the fetched images back (source first) on every way out of a render,
// exceptions included.
class RenderResources {
public:
    explicit RenderResources(const HostSuites& suites) : suites_(suites) {}
    ~RenderResources() {
        release(source);
        release(output);
    }
    RenderResources(const RenderResources&) = delete;
    RenderResources& operator=(const RenderResources&) = delete;

    HostImage output;
    HostImage source;

private:
    void release(HostImage& image) {
        if (image.imageProps != nullptr) {
            suites_.imageEffectSuite->clipReleaseImage(image.imageProps);
            image.imageProps = nullptr;
        }
    }

    const HostSuites& suites_;
};

// A rectangle's extent, never negative and never overflowing.
int32_t extent(int32_t low, int32_t high) {
    const int64_t size = int64_t{high} - int64_t{low};
    return static_cast<int32_t>(std::clamp<int64_t>(size, 0, std::numeric_limits<int32_t>::max()));
}

// The whole output frame in the pixels of the images rendered: the output
// clip's region of definition, or, when the host cannot say, the output
// image's bounds.
OfxRectI outputFrame(const HostSuites& suites, OfxImageClipHandle outputClip,
                     double time, const PropertySetRef& args, double pixelAspectRatio, const OfxRectI& imageBounds) {
    OfxRectD region{0.0, 0.0, 0.0, 0.0};
    const bool known = outputClip != nullptr &&
                       suites.imageEffectSuite->clipGetRegionOfDefinition(outputClip, time, &region) == kOfxStatOK;
    const OfxRectI frame = known ? frameInPixels(region, args.getDouble(kOfxImageEffectPropRenderScale, 0, 1.0),
                                                 args.getDouble(kOfxImageEffectPropRenderScale, 1, 1.0),
                                                 pixelAspectRatio)
                                 : OfxRectI{0, 0, 0, 0};
    return rectIsEmpty(frame) ? imageBounds : frame;
}

// The host is asked whether it is aborting once every this many rows of a
// band: asking before every row was most of a frame's calls into the host.
constexpr unsigned kRowsPerAbortQuestion = 32;

// Compositing a window this large is worth splitting across the host's CPUs.
constexpr int64_t kPixelsWorthThreads = int64_t{1} << 17;
constexpr int64_t kMinRowsPerBand = 16;

unsigned bandsFor(const HostSuites& suites, const OfxRectI& window, const OfxRectI& bounds) {
    const OfxRectI area = intersectRects(window, bounds);
    const int64_t rows = rectHeight(area);
    if (rows * rectWidth(area) < kPixelsWorthThreads) {
        return 1;
    }
    const int64_t threads = hostThreadCount(suites);
    return static_cast<unsigned>(std::clamp<int64_t>(std::min(threads, rows / kMinRowsPerBand), 1, threads));
}

}  // namespace

OfxStatus render(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle) {
    const HostSuites& suites = hostSuites();
    const EffectRef instance(suites, effect);
    ClockInstanceData* record = getInstanceData(suites, effect);
    if (record == nullptr) {
        return kOfxStatErrBadHandle;
    }
    const PropertySetRef args = instance.wrap(inArgs);
    const double time = args.getDouble(kOfxPropTime);
    const auto window = args.getIntN<4>(kOfxImageEffectPropRenderWindow);
    const OfxRectI renderWindow{window[0], window[1], window[2], window[3]};

    RenderResources resources(suites);
    try {
        resources.output = fetchClipImage(suites, record->outputClip, time);
        if (resources.output.imageProps == nullptr) {
            throw OfxuNoImageException();
        }
        if (record->contextKind != kGeneratorContext) {
            resources.source = fetchClipImage(suites, record->sourceClip, time);
            // A source the compositing cannot read with the output is as
            // good as none.
            if (resources.source.imageProps == nullptr ||
                !sourceMatchesOutput(resources.source, resources.output)) {
                throw OfxuNoImageException();
            }
        }
    } catch (const OfxuNoImageException&) {
        return instance.aborted() ? kOfxStatOK : kOfxStatFailed;
    }
    // An output of another layout than the one declared is left as it is.
    if (!isCompositableImage(resources.output)) {
        return kOfxStatErrImageFormat;
    }

    const double pixelAspectRatio =
        instance.wrap(resources.output.imageProps).getDouble(kOfxImagePropPixelAspectRatio, 0, 1.0);
    // The clock is laid out on the whole frame, whatever part of it this
    // call renders, so that windows of one frame fit together.
    const OfxRectI frame =
        outputFrame(suites, record->outputClip, time, args, pixelAspectRatio, resources.output.rect);
    const int32_t frameWidth = extent(frame.x1, frame.x2);
    const int32_t frameHeight = extent(frame.y1, frame.y2);

    std::shared_ptr<const ClockPicture> picture;
    bool useKey = false;
    OfxRGBAColourB keyColour{0, 0, 0, 0};
    {
        const std::lock_guard<std::mutex> guard(record->renderLock);
        // The render scale is deliberately not applied: the clock is laid out
        // in the pixels of the image it is drawn into.
        ClockValues& values = record->values;
        values.renderScaleX = 1.0;
        values.renderScaleY = 1.0;
        values.pixelAspectRatio = pixelAspectRatio;
        values.centreMapping = readCentreMapping(instance, resources.output, values.pixelAspectRatio);
        takeSnapshot(suites, *record, time);

        LogFont font{};
        readFont(suites, effect, font);
        const double frameRate = readFrameRate(instance, *record);
        const ShownTime shown = computeShownTime(time, frameRate, values);
        std::wstring text;
        if (styleShowsText(values.clockStyle)) {
            text = renderTimeText(suites, effect, values.digitalFormat, shown);
        }
        useKey = values.keyMode != 0;
        keyColour = values.keyColour;
        if (frameWidth > 0 && frameHeight > 0) {
            const ClockValues drawn = drawingValues(values, shown);
            picture = record->clockCache->obtain(clockKey(drawn, font, frameWidth, frameHeight, text, shown), shown);
            if (picture == nullptr) {
                return kOfxStatErrMemory;
            }
        }
    }
    if (picture == nullptr) {
        return kOfxStatOK;
    }

    // An abort that came while the clock was drawn leaves the output untouched.
    if (instance.aborted()) {
        return kOfxStatOK;
    }
    // Once one band hears of an abort, the others stop without asking.
    std::atomic<bool> aborted{false};
    CompositeJob job;
    job.abortPoll = [&instance, &aborted] {
        if (aborted.load(std::memory_order_relaxed)) {
            return true;
        }
        if (instance.aborted()) {
            aborted.store(true, std::memory_order_relaxed);
            return true;
        }
        return false;
    };
    job.rowsPerAbortPoll = kRowsPerAbortQuestion;
    job.useKey = useKey;
    job.drawRect = drawRectFromArea(picture->drawArea);
    job.keyColour = keyColour;
    job.drawBits = picture->surface.pixels();
    job.drawRowBytes = static_cast<int>(picture->surface.rowBytes());
    job.surfaceBounds = frame;
    job.ink = picture->ink;
    job.inkRuns = &picture->runs;
    job.srcData = resources.source.data;
    job.srcBounds = resources.source.rect;
    job.srcRowBytes = resources.source.rowBytes;
    job.dstData = resources.output.data;
    job.dstBounds = resources.output.rect;
    job.dstRowBytes = resources.output.rowBytes;
    job.renderWindow = renderWindow;
    const unsigned bands = bandsFor(suites, renderWindow, resources.output.rect);
    runProcessorForDepth(resources.output.bitDepth, job, bands, bands > 1 ? hostBandRunner(suites) : BandRunner{});
    return kOfxStatOK;
}

}  // namespace horavex
