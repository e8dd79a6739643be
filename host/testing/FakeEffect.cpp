// A deliberately small OFX plug-in, built only for the host's own tests, so
// that loading, action dispatch, image access and pixel read-back can be
// checked end to end without the real plug-in.
//
// Generator: fills the render window with the "Colour" parameter at the
// render time. Filter: copies "Source" into the render window scaled by
// "Gain". Both poll abort once per row and release every image they fetch.
#include "ofxapi/OfxApi.h"
#include "ofxapi/OfxNames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

OfxHost* gHost = nullptr;
const OfxPropertySuiteV1* gProps = nullptr;
const OfxImageEffectSuiteV1* gEffects = nullptr;
const OfxParameterSuiteV1* gParams = nullptr;
const OfxMemorySuiteV1* gMemory = nullptr;
const OfxMessageSuiteV1* gMessages = nullptr;

struct InstanceData {
    OfxImageClipHandle source;
    OfxImageClipHandle output;
    OfxParamHandle colour;
    OfxParamHandle gain;
    int isGenerator;
};

void setHost(OfxHost* host) { gHost = host; }

OfxStatus describe(OfxImageEffectHandle effect) {
    gProps = nullptr;
    gEffects = nullptr;
    gParams = nullptr;
    gMemory = nullptr;
    gMessages = nullptr;
    if (gHost == nullptr || gHost->fetchSuite == nullptr) return kOfxStatErrMissingHostFeature;
    gProps = static_cast<const OfxPropertySuiteV1*>(gHost->fetchSuite(gHost->host, kOfxPropertySuite, 1));
    gEffects = static_cast<const OfxImageEffectSuiteV1*>(gHost->fetchSuite(gHost->host, kOfxImageEffectSuite, 1));
    gParams = static_cast<const OfxParameterSuiteV1*>(gHost->fetchSuite(gHost->host, kOfxParameterSuite, 1));
    gMemory = static_cast<const OfxMemorySuiteV1*>(gHost->fetchSuite(gHost->host, kOfxMemorySuite, 1));
    gMessages = static_cast<const OfxMessageSuiteV1*>(gHost->fetchSuite(gHost->host, kOfxMessageSuite, 1));
    if (gProps == nullptr || gEffects == nullptr || gParams == nullptr || gMemory == nullptr) {
        return kOfxStatErrMissingHostFeature;
    }
    OfxPropertySetHandle props = nullptr;
    gEffects->getPropertySet(effect, &props);
    gProps->propSetString(props, kOfxPropLabel, 0, "Fake effect");
    gProps->propSetString(props, kOfxImageEffectPropSupportedContexts, 0, kOfxImageEffectContextGenerator);
    gProps->propSetString(props, kOfxImageEffectPropSupportedContexts, 1, kOfxImageEffectContextFilter);
    gProps->propSetString(props, kOfxImageEffectPropSupportedPixelDepths, 0, kOfxBitDepthByte);
    gProps->propSetString(props, kOfxImageEffectPropSupportedPixelDepths, 1, kOfxBitDepthShort);
    gProps->propSetString(props, kOfxImageEffectPropSupportedPixelDepths, 2, kOfxBitDepthFloat);
    return kOfxStatOK;
}

OfxStatus describeInContext(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs) {
    char* context = nullptr;
    gProps->propGetString(inArgs, kOfxImageEffectPropContext, 0, &context);
    OfxPropertySetHandle clipProps = nullptr;
    gEffects->clipDefine(effect, kOfxImageEffectOutputClipName, &clipProps);
    gProps->propSetString(clipProps, kOfxImageEffectPropSupportedComponents, 0, kOfxImageComponentRGBA);
    if (context == nullptr || std::strcmp(context, kOfxImageEffectContextGenerator) != 0) {
        gEffects->clipDefine(effect, kOfxImageEffectSimpleSourceClipName, &clipProps);
        gProps->propSetString(clipProps, kOfxImageEffectPropSupportedComponents, 0, kOfxImageComponentRGBA);
    }
    OfxParamSetHandle params = nullptr;
    gEffects->getParamSet(effect, &params);
    OfxPropertySetHandle p = nullptr;
    OfxStatus s = gParams->paramDefine(params, kOfxParamTypeRGBA, "Colour", &p);
    if (s != kOfxStatOK) return s;
    const double red[4] = {1.0, 0.0, 0.0, 1.0};
    gProps->propSetDoubleN(p, kOfxParamPropDefault, 4, red);
    s = gParams->paramDefine(params, kOfxParamTypeDouble, "Gain", &p);
    if (s != kOfxStatOK) return s;
    gProps->propSetDouble(p, kOfxParamPropDefault, 0, 1.0);
    gProps->propSetDouble(p, kOfxParamPropMin, 0, 0.0);
    s = gParams->paramDefine(params, kOfxParamTypePushButton, "Button", &p);
    if (s != kOfxStatOK) return s;
    gProps->propSetString(p, kOfxPropLabel, 0, "Press");
    return kOfxStatOK;
}

InstanceData* instanceData(OfxImageEffectHandle effect) {
    OfxPropertySetHandle props = nullptr;
    gEffects->getPropertySet(effect, &props);
    void* data = nullptr;
    gProps->propGetPointer(props, kOfxPropInstanceData, 0, &data);
    return static_cast<InstanceData*>(data);
}

OfxStatus createInstance(OfxImageEffectHandle effect) {
    void* memory = nullptr;
    if (gMemory->memoryAlloc(effect, sizeof(InstanceData), &memory) != kOfxStatOK) return kOfxStatErrMemory;
    auto* data = new (memory) InstanceData{};
    OfxPropertySetHandle props = nullptr;
    gEffects->getPropertySet(effect, &props);
    char* context = nullptr;
    gProps->propGetString(props, kOfxImageEffectPropContext, 0, &context);
    data->isGenerator = context != nullptr && std::strcmp(context, kOfxImageEffectContextGenerator) == 0;
    gEffects->clipGetHandle(effect, kOfxImageEffectOutputClipName, &data->output, nullptr);
    if (!data->isGenerator) gEffects->clipGetHandle(effect, kOfxImageEffectSimpleSourceClipName, &data->source, nullptr);
    OfxParamSetHandle params = nullptr;
    gEffects->getParamSet(effect, &params);
    gParams->paramGetHandle(params, "Colour", &data->colour, nullptr);
    gParams->paramGetHandle(params, "Gain", &data->gain, nullptr);
    gProps->propSetPointer(props, kOfxPropInstanceData, 0, data);
    return kOfxStatOK;
}

OfxStatus destroyInstance(OfxImageEffectHandle effect) {
    InstanceData* data = instanceData(effect);
    if (data != nullptr) gMemory->memoryFree(data);
    return kOfxStatOK;
}

struct Image {
    OfxPropertySetHandle handle = nullptr;
    unsigned char* data = nullptr;
    OfxRectI bounds{};
    int rowBytes = 0;
    int bytesPerComponent = 0;
};

bool fetch(OfxImageClipHandle clip, double time, Image& image) {
    if (gEffects->clipGetImage(clip, time, nullptr, &image.handle) != kOfxStatOK) return false;
    void* data = nullptr;
    gProps->propGetPointer(image.handle, kOfxImagePropData, 0, &data);
    gProps->propGetIntN(image.handle, kOfxImagePropBounds, 4, &image.bounds.x1);
    gProps->propGetInt(image.handle, kOfxImagePropRowBytes, 0, &image.rowBytes);
    char* depth = nullptr;
    gProps->propGetString(image.handle, kOfxImageEffectPropPixelDepth, 0, &depth);
    image.data = static_cast<unsigned char*>(data);
    if (depth != nullptr && std::strcmp(depth, kOfxBitDepthByte) == 0) image.bytesPerComponent = 1;
    if (depth != nullptr && std::strcmp(depth, kOfxBitDepthShort) == 0) image.bytesPerComponent = 2;
    if (depth != nullptr && std::strcmp(depth, kOfxBitDepthFloat) == 0) image.bytesPerComponent = 4;
    return image.data != nullptr && image.bytesPerComponent != 0;
}

unsigned char* pixel(const Image& image, int x, int y) {
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(y - image.bounds.y1) * image.rowBytes;
    const std::ptrdiff_t column = static_cast<std::ptrdiff_t>(x - image.bounds.x1) * 4 * image.bytesPerComponent;
    return image.data + row + column;
}

double readComponent(const unsigned char* p, int bytes, int c) {
    if (bytes == 1) return p[c] / 255.0;
    if (bytes == 2) {
        std::uint16_t v;
        std::memcpy(&v, p + 2 * c, 2);
        return v / 65535.0;
    }
    float f;
    std::memcpy(&f, p + 4 * c, 4);
    return f;
}

void writeComponent(unsigned char* p, int bytes, int c, double v) {
    if (bytes == 4) {
        const float f = static_cast<float>(v);
        std::memcpy(p + 4 * c, &f, 4);
        return;
    }
    const double max = bytes == 1 ? 255.0 : 65535.0;
    const double clamped = std::clamp(std::isnan(v) ? 0.0 : v, 0.0, 1.0);
    const auto scaled = static_cast<std::uint16_t>(std::lround(clamped * max));
    if (bytes == 1) p[c] = static_cast<unsigned char>(scaled);
    else std::memcpy(p + 2 * c, &scaled, 2);
}

OfxStatus render(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs) {
    InstanceData* data = instanceData(effect);
    double time = 0;
    OfxRectI window{};
    gProps->propGetDouble(inArgs, kOfxPropTime, 0, &time);
    gProps->propGetIntN(inArgs, kOfxImageEffectPropRenderWindow, 4, &window.x1);
    Image output;
    Image source;
    OfxStatus status = kOfxStatOK;
    if (!fetch(data->output, time, output) || (!data->isGenerator && !fetch(data->source, time, source))) {
        status = kOfxStatFailed;
    } else {
        double colour[4] = {0, 0, 0, 0};
        gParams->paramGetValueAtTime(data->colour, time, &colour[0], &colour[1], &colour[2], &colour[3]);
        double gain = 1.0;
        gParams->paramGetValueAtTime(data->gain, time, &gain);
        for (int y = window.y1; y < window.y2 && status == kOfxStatOK; ++y) {
            if (gEffects->abort(effect)) break;
            for (int x = window.x1; x < window.x2; ++x) {
                unsigned char* out = pixel(output, x, y);
                for (int c = 0; c < 4; ++c) {
                    double v = colour[c];
                    if (!data->isGenerator) {
                        v = readComponent(pixel(source, x, y), source.bytesPerComponent, c) * gain;
                    }
                    writeComponent(out, output.bytesPerComponent, c, v);
                }
            }
        }
    }
    if (source.handle != nullptr) gEffects->clipReleaseImage(source.handle);
    if (output.handle != nullptr) gEffects->clipReleaseImage(output.handle);
    return status;
}

OfxStatus regionOfDefinition(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
    InstanceData* data = instanceData(effect);
    if (data->isGenerator) return kOfxStatReplyDefault;
    double time = 0;
    gProps->propGetDouble(inArgs, kOfxPropTime, 0, &time);
    OfxRectD rod{};
    gEffects->clipGetRegionOfDefinition(data->source, time, &rod);
    gProps->propSetDoubleN(outArgs, kOfxImageEffectPropRegionOfDefinition, 4, &rod.x1);
    return kOfxStatOK;
}

OfxStatus instanceChanged(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs) {
    char* name = nullptr;
    gProps->propGetString(inArgs, kOfxPropName, 0, &name);
    if (name == nullptr || std::strcmp(name, "Button") != 0) return kOfxStatReplyDefault;
    if (gMessages != nullptr) gMessages->message(effect, kOfxMessageMessage, "fake.button", "pressed %d time(s)", 1);
    return kOfxStatOK;
}

OfxStatus mainEntry(const char* action, const void* handle, OfxPropertySetHandle inArgs, OfxPropertySetHandle outArgs) {
    auto effect = static_cast<OfxImageEffectHandle>(const_cast<void*>(handle));
    if (action == nullptr) return kOfxStatReplyDefault;
    if (std::strcmp(action, kOfxActionDescribe) == 0) return describe(effect);
    if (gProps == nullptr) return kOfxStatReplyDefault;
    if (std::strcmp(action, kOfxImageEffectActionDescribeInContext) == 0) return describeInContext(effect, inArgs);
    if (std::strcmp(action, kOfxActionCreateInstance) == 0) return createInstance(effect);
    if (std::strcmp(action, kOfxActionDestroyInstance) == 0) return destroyInstance(effect);
    if (std::strcmp(action, kOfxImageEffectActionRender) == 0) return render(effect, inArgs);
    if (std::strcmp(action, kOfxImageEffectActionGetRegionOfDefinition) == 0) {
        return regionOfDefinition(effect, inArgs, outArgs);
    }
    if (std::strcmp(action, kOfxActionInstanceChanged) == 0) return instanceChanged(effect, inArgs);
    return kOfxStatReplyDefault;
}

OfxPlugin gPlugin = {kOfxImageEffectPluginApi, 1, "org.horavex.host.fakeeffect", 1, 0, setHost, mainEntry};

}  // namespace

FAKE_EXPORT int OfxGetNumberOfPlugins(void) { return 1; }

FAKE_EXPORT OfxPlugin* OfxGetPlugin(int nth) { return nth == 0 ? &gPlugin : nullptr; }
