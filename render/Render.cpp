#include "render/Render.h"

#include <algorithm>
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
#include "render/DrawClock.h"
#include "render/HostFrame.h"
#include "render/ImageChecks.h"
#include "render/PixelAddress.h"
#include "render/Processor.h"
#include "shell/EffectAccess.h"
#include "shell/Exceptions.h"
#include "shell/ImageAccess.h"
#include "shell/Instance.h"

namespace horavex {

namespace {

// Gives the fetched images back (source first) and frees the surface on every
// way out of a render, exceptions included.
class RenderResources {
public:
    RenderResources(const HostSuites& suites, ClockInstanceData& record) : suites_(suites), record_(record) {}
    ~RenderResources() {
        release(source);
        release(output);
        record_.surface.reset();
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
    ClockInstanceData& record_;
};

// The window's extent, never negative and never overflowing.
int32_t extent(int32_t low, int32_t high) {
    const int64_t size = int64_t{high} - int64_t{low};
    return static_cast<int32_t>(std::clamp<int64_t>(size, 0, std::numeric_limits<int32_t>::max()));
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

    RenderResources resources(suites, *record);
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

    // The clock is laid out on the whole window, but only the window's part
    // inside the output is drawn and written.
    const int32_t width = extent(renderWindow.x1, renderWindow.x2);
    const int32_t height = extent(renderWindow.y1, renderWindow.y2);
    OfxRectI written = intersectRects(renderWindow, resources.output.rect);
    if (rectIsEmpty(written)) {
        written = OfxRectI{renderWindow.x1, renderWindow.y1, renderWindow.x1, renderWindow.y1};
    }
    const int32_t writtenWidth = extent(written.x1, written.x2);
    const int32_t writtenHeight = extent(written.y1, written.y2);

    // The render scale is deliberately not applied: the clock is laid out in
    // the pixels of the image it is drawn into.
    ClockValues& values = record->values;
    values.renderScaleX = 1.0;
    values.renderScaleY = 1.0;
    values.pixelAspectRatio =
        instance.wrap(resources.output.imageProps).getDouble(kOfxImagePropPixelAspectRatio, 0, 1.0);
    values.centreMapping = readCentreMapping(instance, resources.output, values.pixelAspectRatio);
    takeSnapshot(suites, *record, time);

    RectF drawArea{0.0f, 0.0f, static_cast<float>(writtenWidth), static_cast<float>(writtenHeight)};
    LogFont font{};
    readFont(suites, effect, font);
    const double frameRate = readFrameRate(instance, *record);
    const ShownTime shown = computeShownTime(time, frameRate, values);
    const ClockValues drawn = drawingValues(values, shown);
    const ClockGeometry geometry =
        geometryOnPart(computeClockGeometry(width, height, values), renderWindow, written);

    record->surfaceDC = nullptr;
    record->surface = std::make_unique<DrawingSurface>();
    const DrawingTarget* target = record->surface->create(writtenWidth, writtenHeight, 32, false);
    record->surfaceDC = const_cast<DrawingTarget*>(target);
    if (target == nullptr && writtenWidth > 0 && writtenHeight > 0) {
        return kOfxStatErrMemory;
    }

    std::wstring text;
    if (styleShowsText(values.clockStyle)) {
        text = renderTimeText(suites, effect, values.digitalFormat, shown);
    }

    if (target != nullptr) {
        drawArea = drawClock(*target, ClockScene{drawn, geometry, shown, text, font}, drawArea);
        const OfxRectI drawRect = drawRectFromArea(drawArea.x, drawArea.y, drawArea.width, drawArea.height);
        const bool useKey = values.keyMode != 0;
        AbortPoll poll = [&instance] { return instance.aborted(); };
        runProcessorForDepth(resources.output.bitDepth, std::move(poll), useKey, drawRect, values.keyColour,
                             record->surface->pixels(), resources.source.data, resources.source.rect,
                             resources.source.rowBytes, resources.output.data, resources.output.rect,
                             resources.output.rowBytes, static_cast<int>(record->surface->rowBytes()), written);
    }
    return kOfxStatOK;
}

}  // namespace horavex
