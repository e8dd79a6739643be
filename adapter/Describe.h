// The two description actions: what the plug-in is, and the clips and
// parameters of a context.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

OfxStatus describe(OfxImageEffectHandle effect);
OfxStatus describeInContext(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs);

}  // namespace horavex
