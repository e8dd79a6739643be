// Fetching one image of a clip from the host and describing where its pixels
// lie; giving it back is the suite's own clipReleaseImage.
#pragma once

#include <cstdint>
#include <string>

#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"

namespace horavex {

struct HostImage {
    OfxPropertySetHandle imageProps = nullptr;  // to be released exactly once when not null
    void* data = nullptr;                        // first pixel of the bottom row of `rect`
    OfxRectI rect{0, 0, 0, 0};
    int32_t rowBytes = 0;                        // may be negative
    int32_t bitDepth = 0;                        // 8, 16, 32, or 0 for anything else
    bool isAlpha = false;
    // Four channels per pixel: "OfxImageComponentRGBA", or no components
    // named at all (a host that leaves the property out hands what the
    // plug-in declared, which is RGBA only).
    bool isRgba = false;
};

int32_t depthFromName(const char* depthName);
int32_t readImageDepth(const HostSuites& suites, OfxPropertySetHandle image);
bool readImageIsAlpha(const HostSuites& suites, OfxPropertySetHandle image);
std::string readImageComponents(const HostSuites& suites, OfxPropertySetHandle image);

// An empty record (null handle) when the host delivers no image or an image
// without pixels; the latter is given back at once.
HostImage fetchClipImage(const HostSuites& suites, OfxImageClipHandle clip, double time);

}  // namespace horavex
