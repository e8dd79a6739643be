// The main entry: routes each action to its handler and turns whatever escapes
// a handler into a status.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

OfxStatus pluginMain(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                     OfxPropertySetHandle outArgs);

}  // namespace horavex
