// The host that loaded the library and the suites it offers. Written only by
// setHost and the describe action, before any instance exists; read afterwards.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

struct HostSuites {
    OfxHost* host = nullptr;
    const OfxImageEffectSuiteV1* imageEffectSuite = nullptr;
    const OfxPropertySuiteV1* propertySuite = nullptr;
    const OfxInteractSuiteV1* interactSuite = nullptr;
    const OfxParameterSuiteV1* parameterSuite = nullptr;
    const OfxMemorySuiteV1* memorySuite = nullptr;
    const OfxMultiThreadSuiteV1* multiThreadSuite = nullptr;
    const OfxMessageSuiteV1* messageSuite = nullptr;
    const OfxTimeLineSuiteV1* timeLineSuite = nullptr;

    // True when the three suites every instance action calls are present.
    bool hasRequiredSuites() const {
        return imageEffectSuite != nullptr && propertySuite != nullptr && parameterSuite != nullptr;
    }
};

HostSuites& hostSuites();

void setHost(OfxHost* host);
OfxStatus fetchHostSuites();

}  // namespace horavex
