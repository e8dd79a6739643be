#include "adapter/LayoutActions.h"

#include "ofxapi/OfxNames.h"
#include "adapter/EffectAccess.h"
#include "adapter/Instance.h"

namespace horavex {

OfxStatus getRegionOfDefinition(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs,
                                OfxPropertySetHandle outArgs) {
    const HostSuites& suites = hostSuites();
    const ClockInstanceData* record = getInstanceData(suites, effect);
    if (record == nullptr) {
        return kOfxStatErrBadHandle;
    }
    if (record->contextKind == kGeneratorContext) {
        return kOfxStatReplyDefault;
    }
    const EffectRef instance(suites, effect);
    const double time = instance.wrap(inArgs).getDouble(kOfxPropTime);
    OfxRectD rod{0.0, 0.0, 0.0, 0.0};
    suites.imageEffectSuite->clipGetRegionOfDefinition(record->sourceClip, time, &rod);
    const double values[4] = {rod.x1, rod.y1, rod.x2, rod.y2};
    instance.wrap(outArgs).setDoubleN(kOfxImageEffectPropRegionOfDefinition, values, 4);
    return kOfxStatOK;
}

OfxStatus getRegionsOfInterest(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs,
                               OfxPropertySetHandle outArgs) {
    const HostSuites& suites = hostSuites();
    const ClockInstanceData* record = getInstanceData(suites, effect);
    if (record == nullptr) {
        return kOfxStatErrBadHandle;
    }
    if (record->contextKind == kGeneratorContext) {
        return kOfxStatReplyDefault;
    }
    const EffectRef instance(suites, effect);
    // The render needs exactly the requested region of the source, no margin.
    const auto roi = instance.wrap(inArgs).getDoubleN<4>(kOfxImageEffectPropRegionOfInterest);
    instance.wrap(outArgs).setDoubleN(kOfxImageClipPropRoI_Source, roi.data(), 4);
    return kOfxStatOK;
}

OfxStatus isIdentity(OfxImageEffectHandle, OfxPropertySetHandle, OfxPropertySetHandle) {
    return kOfxStatReplyDefault;
}

OfxStatus getClipPreferences(OfxImageEffectHandle effect, OfxPropertySetHandle, OfxPropertySetHandle outArgs) {
    const HostSuites& suites = hostSuites();
    const ClockInstanceData* record = getInstanceData(suites, effect);
    if (record == nullptr) {
        return kOfxStatErrBadHandle;
    }
    const EffectRef instance(suites, effect);
    const PropertySetRef out = instance.wrap(outArgs);
    if (record->contextKind == kGeneratorContext) {
        out.setString(kOfxImageEffectPropPreMultiplication, 0, kOfxImagePreMultiplied);
    } else {
        const std::string premult =
            instance.clipProperties(record->sourceClip).getString(kOfxImageEffectPropPreMultiplication);
        // A source that states nothing leaves the choice to the host.
        if (!premult.empty()) {
            out.setString(kOfxImageEffectPropPreMultiplication, 0, premult.c_str());
        }
    }
    const PropertySetRef effectProps = instance.properties();
    out.setInt(kOfxImageEffectPluginPropFieldRenderTwiceAlways, 0, 0);
    out.setInt(kOfxImageEffectFrameVarying, 0, 1);
    effectProps.setInt(kOfxImageEffectPropSupportsMultipleClipDepths, 0, 0);
    return kOfxStatOK;
}

}  // namespace horavex
