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
                      "Horavex: the host gives no frame rate; the clock runs at %g frames per second.",
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

CentreMapping readCentreMapping(const EffectRef& instance, const HostImage& output, double pixelAspectRatio) {
    CentreMapping mapping;
    const HostSuites& suites = instance.suites();
    std::string hostName;
    if (suites.host != nullptr) {
        hostName = instance.wrap(suites.host->host).getString(kOfxPropName);
    }
    mapping.units = spatialUnitsForHost(hostName);

    const PropertySetRef effect = instance.properties();
    const ProjectFrame project{effect.getDouble(kOfxImageEffectPropProjectOffset, 0, kMissing),
                               effect.getDouble(kOfxImageEffectPropProjectOffset, 1, kMissing),
                               effect.getDouble(kOfxImageEffectPropProjectSize, 0, kMissing),
                               effect.getDouble(kOfxImageEffectPropProjectSize, 1, kMissing)};
    if (usableProjectFrame(project)) {
        mapping.frame = project;
    } else {
        // Some hosts give the size but no offset: the project then starts at
        // the origin.
        const ProjectFrame sizeOnly{0.0, 0.0, project.width, project.height};
        mapping.frame =
            usableProjectFrame(sizeOnly) ? sizeOnly : projectFrameFromImage(output.rect, pixelAspectRatio);
    }
    return mapping;
}

}  // namespace horavex
