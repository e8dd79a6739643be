// OFX status codes by the names the standard gives them, for messages.
#pragma once

#include <string>

#include "ofxapi/OfxApi.h"

namespace horavex::cli {

// "kOfxStatFailed (1)"; an unknown code as "status 1234".
std::string describeStatus(OfxStatus status);

}  // namespace horavex::cli
