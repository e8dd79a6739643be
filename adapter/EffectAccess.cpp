#include "adapter/EffectAccess.h"

namespace horavex {

PropertySetRef EffectRef::properties() const {
    OfxPropertySetHandle props = nullptr;
    if (suites_.imageEffectSuite != nullptr) {
        suites_.imageEffectSuite->getPropertySet(effect_, &props);
    }
    return {suites_.propertySuite, props};
}

OfxParamSetHandle EffectRef::paramSet() const {
    OfxParamSetHandle params = nullptr;
    if (suites_.imageEffectSuite != nullptr) {
        suites_.imageEffectSuite->getParamSet(effect_, &params);
    }
    return params;
}

OfxImageClipHandle EffectRef::clip(const char* name) const {
    OfxImageClipHandle clip = nullptr;
    if (suites_.imageEffectSuite != nullptr) {
        suites_.imageEffectSuite->clipGetHandle(effect_, name, &clip, nullptr);
    }
    return clip;
}

PropertySetRef EffectRef::clipProperties(OfxImageClipHandle clip) const {
    OfxPropertySetHandle props = nullptr;
    if (suites_.imageEffectSuite != nullptr && clip != nullptr) {
        suites_.imageEffectSuite->clipGetPropertySet(clip, &props);
    }
    return {suites_.propertySuite, props};
}

bool EffectRef::aborted() const {
    return suites_.imageEffectSuite != nullptr && suites_.imageEffectSuite->abort(effect_) != 0;
}

}  // namespace horavex
