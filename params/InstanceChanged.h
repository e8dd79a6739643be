// The instance-changed action: only the font button does anything.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

OfxStatus instanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

}  // namespace horavex
