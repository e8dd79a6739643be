#include "adapter/Render.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "core/clocktime/ComputeShownTime.h"
#include "adapter/HostTimeText.h"
#include "core/drawing/DrawingSurface.h"
#include "ofxapi/OfxNames.h"
#include "adapter/FontParam.h"
#include "adapter/Snapshot.h"
#include "core/compositing/ClockGeometry.h"
#include "core/compositing/ClockPicture.h"
#include "core/compositing/DrawClock.h"
#include "adapter/HostFrame.h"
#include "adapter/ImageChecks.h"
#include "core/compositing/OverlapPlan.h"
#include "core/compositing/PixelAddress.h"
#include "core/compositing/Processor.h"
#include "core/compositing/RenderPlan.h"
#include "adapter/EffectAccess.h"
#include "adapter/Exceptions.h"
#include "adapter/ImageAccess.h"
#include "adapter/Instance.h"
#include "adapter/MultiThreadAccess.h"

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
    const RenderLayout layout =
        readRenderLayout(instance, *record, time, args, resources.output, pixelAspectRatio);
    const OfxRectI frame = layout.frame.pixels;
    const int32_t frameWidth = extent(frame.x1, frame.x2);
    const int32_t frameHeight = extent(frame.y1, frame.y2);

    std::shared_ptr<const ClockPicture> picture;
    ClockKey key;
    ShownTime shown{};
    // Where the last clock lay (image rows), when this frame needs a new one.
    RowRange lastInkRows;
    bool haveLastClock = false;
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
        values.centreMapping = layout.centre;
        takeSnapshot(suites, *record, time);

        LogFont font{};
        readFont(suites, effect, font);
        const double frameRate = clockFrameRate(instance, *record);
        shown = computeShownTime(time, frameRate, values);
        std::wstring text;
        if (styleShowsText(values.clockStyle)) {
            text = renderTimeText(suites, effect, values.digitalFormat, shown);
        }
        useKey = values.keyMode != 0;
        keyColour = values.keyColour;
        if (frameWidth <= 0 || frameHeight <= 0) {
            return kOfxStatOK;
        }
        key = clockKey(drawingValues(values, shown), font, frameWidth, frameHeight, text, shown);
        picture = record->clockCache->find(key);
        const std::shared_ptr<const ClockPicture> last = record->clockCache->last();
        if (picture == nullptr && last != nullptr && last->frameWidth == frameWidth &&
            last->frameHeight == frameHeight) {
            lastInkRows = inkRows(*last, frame);
            haveLastClock = true;
        }
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
    job.keyColour = keyColour;
    job.surfaceBounds = frame;
    job.srcData = resources.source.data;
    job.srcBounds = resources.source.rect;
    job.srcRowBytes = resources.source.rowBytes;
    job.dstData = resources.output.data;
    job.dstBounds = resources.output.rect;
    job.dstRowBytes = resources.output.rowBytes;
    job.renderWindow = renderWindow;

    auto drawClockPictureLocked = [&] {
        const std::lock_guard<std::mutex> guard(record->renderLock);
        return record->clockCache->obtain(key, shown);
    };
    // The host's CPUs, asked for only by a window worth more than one.
    auto threadsOfHost = [&suites](const OfxRectI& window, const OfxRectI& bounds, bool worth) {
        return worth ? threadsFor(window, bounds, hostThreadCount(suites)) : 1u;
    };
    auto compositeWith = [&](const ClockPicture& drawn, const OfxRectI& window) {
        const CompositeJob withPicture = jobWithPicture(job, drawn, window, resources.output.bitDepth);
        const unsigned bands = threadsOfHost(
            window, resources.output.rect,
            worthCompositingThreads(window, resources.output.rect, resources.output.bitDepth));
        runProcessorForDepth(resources.output.bitDepth, withPicture, bands,
                             bands > 1 ? hostBandRunner(suites) : BandRunner{});
    };

    const OfxRectI area = intersectRects(renderWindow, resources.output.rect);
    const unsigned bands =
        threadsOfHost(renderWindow, resources.output.rect, worthThreads(renderWindow, resources.output.rect));
    const bool blackKey = useKey && keyColour.r == 0 && keyColour.g == 0 && keyColour.b == 0;
    // A new clock is drawn while other threads copy the rows it will not
    // reach; a black key takes undrawn pixels too, so then every row waits.
    if (picture == nullptr && haveLastClock && bands > 1 && !blackKey && !rectIsEmpty(area)) {
        if (instance.aborted()) {
            return kOfxStatOK;
        }
        const OverlapPlan plan = planOverlap(RowRange{area.y1, area.y2}, lastInkRows, overlapMargin(lastInkRows));
        CompositeJob plain = job;  // no picture: rows pass through
        std::atomic<std::size_t> nextChunk{0};
        auto copyClearRows = [&] {
            for (std::size_t i = nextChunk.fetch_add(1); i < plan.clearChunks.size(); i = nextChunk.fetch_add(1)) {
                CompositeJob chunk = plain;
                chunk.renderWindow = OfxRectI{area.x1, plan.clearChunks[i].begin, area.x2, plan.clearChunks[i].end};
                runProcessorForDepth(resources.output.bitDepth, chunk, 1, BandRunner{});
            }
        };
        std::shared_ptr<const ClockPicture> drawn;
        hostBandRunner(suites)(bands, [&](unsigned band) {
            if (band == 0) {
                const std::lock_guard<std::mutex> guard(record->renderLock);
                drawn = record->clockCache->obtain(key, shown);
                record->clockCache->noteObtainedBesideCopies();
            }
            copyClearRows();
        });
        if (drawn == nullptr) {
            return kOfxStatErrMemory;
        }
        if (aborted.load(std::memory_order_relaxed)) {
            return kOfxStatOK;
        }
        const RowRange windowRows{area.y1, area.y2};
        for (const RowRange rows : rowsNeedingPicture(windowRows, plan.clockRows, inkRows(*drawn, frame))) {
            compositeWith(*drawn, OfxRectI{area.x1, rows.begin, area.x2, rows.end});
        }
        return kOfxStatOK;
    }

    if (picture == nullptr) {
        picture = drawClockPictureLocked();
        if (picture == nullptr) {
            return kOfxStatErrMemory;
        }
    }
    // An abort that came while the clock was drawn leaves the output
    // untouched.
    if (instance.aborted()) {
        return kOfxStatOK;
    }
    compositeWith(*picture, renderWindow);
    return kOfxStatOK;
}

}  // namespace horavex
