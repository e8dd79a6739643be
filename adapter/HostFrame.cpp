#include "adapter/HostFrame.h"

#include <atomic>
#include <limits>
#include <string>

#include "core/clocktime/FrameRate.h"
#include "ofxapi/OfxNames.h"

namespace horavex {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

constexpr const char* kNoFrameRateMessageId = "de.quandel.horavex.NoFrameRate";

void tellFrameRateFallbackOnce(const EffectRef& instance) {
    static std::atomic<bool> told{false};
    const OfxMessageSuiteV1* messages = instance.suites().messageSuite;
    if (messages == nullptr || messages->message == nullptr || told.exchange(true)) {
        return;
    }
    messages->message(instance.handle(), kOfxMessageLog, kNoFrameRateMessageId,
                      "Horavex: the host gives no frame rate; the clock runs at %g frames per second. Set "
                      "\"Frame Rate\" to the project's rate.",
                      kFallbackFrameRate);
}

double clipFrameRate(const EffectRef& instance, OfxImageClipHandle clip) {
    if (clip == nullptr) {
        return kMissing;
    }
    return instance.clipProperties(clip).getDouble(kOfxImageEffectPropFrameRate, 0, kMissing);
}

}  // namespace

double readFrameRate(const EffectRef& instance, const ClockInstanceData& record) {
    const double effectRate = instance.properties().getDouble(kOfxImageEffectPropFrameRate, 0, kMissing);
    FrameRateChoice choice = chooseFrameRate({effectRate});
    if (choice.fellBack) {
        const double outputRate = clipFrameRate(instance, record.outputClip);
        const double sourceRate =
            record.contextKind != kGeneratorContext ? clipFrameRate(instance, record.sourceClip) : kMissing;
        choice = chooseFrameRate({outputRate, sourceRate});
    }
    if (choice.fellBack) {
        tellFrameRateFallbackOnce(instance);
    }
    return choice.framesPerSecond;
}

double clockFrameRate(const EffectRef& instance, const ClockInstanceData& record) {
    const double chosen = explicitFrameRate(record.values.frameRateChoice, record.values.customFrameRate);
    return usableFrameRate(chosen) ? chosen : readFrameRate(instance, record);
}

RenderLayout readRenderLayout(const EffectRef& instance, const ClockInstanceData& record, double time,
                              const PropertySetRef& renderArgs, const HostImage& output, double pixelAspectRatio) {
    const HostSuites& suites = instance.suites();
    OfxRectD region{0.0, 0.0, 0.0, 0.0};
    const bool regionKnown =
        record.outputClip != nullptr && suites.imageEffectSuite->clipGetRegionOfDefinition != nullptr &&
        suites.imageEffectSuite->clipGetRegionOfDefinition(record.outputClip, time, &region) == kOfxStatOK;

    const PropertySetRef effect = instance.properties();
    ProjectFrame project{effect.getDouble(kOfxImageEffectPropProjectOffset, 0, kMissing),
                         effect.getDouble(kOfxImageEffectPropProjectOffset, 1, kMissing),
                         effect.getDouble(kOfxImageEffectPropProjectSize, 0, kMissing),
                         effect.getDouble(kOfxImageEffectPropProjectSize, 1, kMissing)};
    if (!usableProjectFrame(project)) {
        // Some hosts give the size but no offset: the project then starts at
        // the origin.
        project.x = 0.0;
        project.y = 0.0;
    }
    const OfxRectD projectRect{project.x, project.y, project.x + project.width, project.y + project.height};
    const bool projectKnown = usableProjectFrame(project);

    RenderLayout layout;
    layout.frame = chooseLayoutFrame(regionKnown ? &region : nullptr, projectKnown ? &projectRect : nullptr,
                                     output.rect, renderArgs.getDouble(kOfxImageEffectPropRenderScale, 0, 1.0),
                                     renderArgs.getDouble(kOfxImageEffectPropRenderScale, 1, 1.0), pixelAspectRatio);
    std::string hostName;
    if (suites.host != nullptr) {
        hostName = instance.wrap(suites.host->host).getString(kOfxPropName);
    }
    layout.centre.units = spatialUnitsForHost(hostName);
    const OfxRectD& c = layout.frame.canonical;
    layout.centre.frame = ProjectFrame{c.x1, c.y1, c.x2 - c.x1, c.y2 - c.y1};
    return layout;
}

}  // namespace horavex
