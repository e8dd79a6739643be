// The render action: from the host's call to the filled output image.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

OfxStatus render(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs);

}  // namespace horavex
