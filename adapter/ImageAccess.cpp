#include "adapter/ImageAccess.h"

#include <cstring>

#include "ofxapi/OfxNames.h"
#include "adapter/PropertyAccess.h"

namespace horavex {

int32_t depthFromName(const char* depthName) {
    if (depthName == nullptr) {
        return 0;
    }
    if (std::strcmp(depthName, kOfxBitDepthByte) == 0) {
        return 8;
    }
    if (std::strcmp(depthName, kOfxBitDepthShort) == 0) {
        return 16;
    }
    if (std::strcmp(depthName, kOfxBitDepthFloat) == 0) {
        return 32;
    }
    return 0;
}

int32_t readImageDepth(const HostSuites& suites, OfxPropertySetHandle image) {
    return depthFromName(PropertySetRef(suites.propertySuite, image).getString(kOfxImageEffectPropPixelDepth).c_str());
}

bool readImageIsAlpha(const HostSuites& suites, OfxPropertySetHandle image) {
    return readImageComponents(suites, image) == kOfxImageComponentAlpha;
}

std::string readImageComponents(const HostSuites& suites, OfxPropertySetHandle image) {
    return PropertySetRef(suites.propertySuite, image).getString(kOfxImageEffectPropComponents);
}

HostImage fetchClipImage(const HostSuites& suites, OfxImageClipHandle clip, double time) {
    HostImage image;
    OfxPropertySetHandle handle = nullptr;
    if (suites.imageEffectSuite == nullptr ||
        suites.imageEffectSuite->clipGetImage(clip, time, nullptr, &handle) != kOfxStatOK || handle == nullptr) {
        return image;
    }
    const PropertySetRef props(suites.propertySuite, handle);
    image.imageProps = handle;
    image.rowBytes = props.getInt(kOfxImagePropRowBytes);
    image.bitDepth = readImageDepth(suites, handle);
    const std::string components = readImageComponents(suites, handle);
    image.isAlpha = components == kOfxImageComponentAlpha;
    image.isRgba = components.empty() || components == kOfxImageComponentRGBA;
    const auto bounds = props.getIntN<4>(kOfxImagePropBounds);
    image.rect = OfxRectI{bounds[0], bounds[1], bounds[2], bounds[3]};
    image.data = props.getPointer(kOfxImagePropData);
    if (image.data == nullptr) {
        suites.imageEffectSuite->clipReleaseImage(handle);
        image.imageProps = nullptr;
    }
    return image;
}

}  // namespace horavex
