// Exceptions that deep code throws towards the action dispatcher. Neither
// derives from std::exception, so the dispatcher maps both to an unknown error.
#pragma once

#include "ofxapi/OfxApi.h"

namespace horavex {

class OfxuStatusException {
public:
    explicit OfxuStatusException(OfxStatus status) : status_(status) {}
    OfxStatus status() const { return status_; }

private:
    OfxStatus status_;
};

// Thrown when the host delivers no image for a clip; render catches it.
class OfxuNoImageException {};

}  // namespace horavex
