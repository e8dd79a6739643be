// Typed access to an effect (descriptor or instance) through the image-effect
// suite: its property set, parameter set, clips and the host's abort flag.
#pragma once

#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"
#include "adapter/PropertyAccess.h"

namespace horavex {

class EffectRef {
public:
    EffectRef(const HostSuites& suites, OfxImageEffectHandle effect) : suites_(suites), effect_(effect) {}

    OfxImageEffectHandle handle() const { return effect_; }
    const HostSuites& suites() const { return suites_; }

    PropertySetRef properties() const;
    OfxParamSetHandle paramSet() const;
    OfxImageClipHandle clip(const char* name) const;
    PropertySetRef clipProperties(OfxImageClipHandle clip) const;
    // Wraps any property set handle (action arguments, images) with our suite.
    PropertySetRef wrap(OfxPropertySetHandle handle) const { return {suites_.propertySuite, handle}; }
    bool aborted() const;

private:
    const HostSuites& suites_;
    OfxImageEffectHandle effect_;
};

}  // namespace horavex
