// Create-instance and destroy-instance, and the way every other action finds
// an instance's record.
#pragma once

#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"
#include "adapter/InstanceData.h"

namespace horavex {

// The record stored in the instance's "OfxPropInstanceData"; null when the
// instance carries none.
ClockInstanceData* getInstanceData(const HostSuites& suites, OfxImageEffectHandle effect);

OfxStatus createInstance(OfxImageEffectHandle effect);
OfxStatus destroyInstance(OfxImageEffectHandle effect);

// The context kind an "OfxImageEffectPropContext" value stands for.
int32_t contextKindFromName(const char* context);

}  // namespace horavex
