// Definition of one parameter of each kind that shares the common steps
// (type-specific properties, then hint, script name, label, parent, animates).
// An empty label, script name or hint stands for the parameter's name.
#pragma once

#include <cstdint>

#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"

namespace horavex {

struct ParamText {
    const char* name;
    const char* label = "";
    const char* scriptName = "";
    const char* hint = "";
    const char* parent = "";
};

// The colour-quad layout of the platform: bytes blue, green, red, alpha.
struct ColourQuad {
    uint8_t blue, green, red, alpha;
};

// Each throws OfxuStatusException when the host refuses the definition.
void defineDoubleParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, double defaultValue,
                       double minimum, double displayMaximum, double increment, const char* doubleType);
void defineIntParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, int32_t defaultValue,
                    int32_t minimum, int32_t displayMaximum, int32_t increment);
void defineBooleanParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text, int defaultValue);
void defineRGBAParam(const HostSuites& suites, OfxParamSetHandle paramSet, const ParamText& text,
                     ColourQuad defaultColour);

}  // namespace horavex
