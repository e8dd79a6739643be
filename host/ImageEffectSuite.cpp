// OfxImageEffectSuiteV1: effect and clip access, image delivery and release,
// abort polling and image memory.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Suites.h"

#include <algorithm>
#include <cstdio>

namespace horavex::host {
namespace {

OfxStatus log(Host* host, const char* function, std::string_view argument, std::string_view target, OfxStatus s) {
    return host != nullptr ? host->record(function, argument, target, s) : s;
}

template <class Op>
OfxStatus onEffect(const char* function, OfxImageEffectHandle handle, const char* argument, Op&& op) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::ImageEffect, owner);
    Host* host = Host::resolve(owner);
    const std::string_view arg = argument != nullptr ? argument : "";
    if (!live) return log(host, function, arg, "", kOfxStatErrBadHandle);
    auto* effect = reinterpret_cast<ImageEffect*>(handle);
    return log(host, function, arg, effect->props().tag(), op(*effect, host));
}

template <class Op>
OfxStatus onClip(const char* function, OfxImageClipHandle handle, Op&& op) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::Clip, owner);
    Host* host = Host::resolve(owner);
    if (!live) return log(host, function, "", "", kOfxStatErrBadHandle);
    auto* clip = reinterpret_cast<Clip*>(handle);
    return log(host, function, clip->name(), clip->props().tag(), op(*clip, host));
}

OfxStatus getPropertySet(OfxImageEffectHandle imageEffect, OfxPropertySetHandle* propHandle) {
    return onEffect("getPropertySet", imageEffect, nullptr, [&](ImageEffect& e, Host*) -> OfxStatus {
        if (propHandle == nullptr) return kOfxStatErrValue;
        *propHandle = e.props().handle();
        return kOfxStatOK;
    });
}

OfxStatus getParamSet(OfxImageEffectHandle imageEffect, OfxParamSetHandle* paramSet) {
    return onEffect("getParamSet", imageEffect, nullptr, [&](ImageEffect& e, Host*) -> OfxStatus {
        if (paramSet == nullptr) return kOfxStatErrValue;
        *paramSet = e.params().handle();
        return kOfxStatOK;
    });
}

OfxStatus clipDefine(OfxImageEffectHandle imageEffect, const char* name, OfxPropertySetHandle* propertySet) {
    if (propertySet != nullptr) *propertySet = nullptr;
    return onEffect("clipDefine", imageEffect, name, [&](ImageEffect& e, Host*) -> OfxStatus {
        // Clips are declared on descriptors only; an instance's are fixed.
        if (e.isInstance()) return kOfxStatErrBadHandle;
        if (name == nullptr) return kOfxStatErrValue;
        if (e.findClip(name) != nullptr) return kOfxStatErrExists;
        Clip& clip = e.defineClip(name);
        if (propertySet != nullptr) *propertySet = clip.props().handle();
        return kOfxStatOK;
    });
}

OfxStatus clipGetHandle(OfxImageEffectHandle imageEffect, const char* name, OfxImageClipHandle* clip,
                        OfxPropertySetHandle* propertySet) {
    if (clip != nullptr) *clip = nullptr;
    if (propertySet != nullptr) *propertySet = nullptr;
    return onEffect("clipGetHandle", imageEffect, name, [&](ImageEffect& e, Host*) -> OfxStatus {
        if (!e.isInstance()) return kOfxStatErrBadHandle;
        if (name == nullptr || clip == nullptr) return kOfxStatErrValue;
        Clip* found = e.findClip(name);
        if (found == nullptr) return kOfxStatErrUnknown;
        *clip = found->handle();
        if (propertySet != nullptr) *propertySet = found->props().handle();
        return kOfxStatOK;
    });
}

OfxStatus clipGetPropertySet(OfxImageClipHandle clip, OfxPropertySetHandle* propHandle) {
    return onClip("clipGetPropertySet", clip, [&](Clip& c, Host*) -> OfxStatus {
        if (propHandle == nullptr) return kOfxStatErrValue;
        *propHandle = c.props().handle();
        return kOfxStatOK;
    });
}

// "<clip>@<time>", the time as a stream prints it (six significant digits).
std::string uniqueIdentifier(const std::string& clip, double time) {
    char number[64];
    const int length = std::snprintf(number, sizeof number, "%g", time);
    std::string id = clip;
    id += '@';
    id.append(number, length > 0 ? std::min<std::size_t>(static_cast<std::size_t>(length), sizeof number - 1) : 0);
    return id;
}

OfxStatus clipGetImage(OfxImageClipHandle clip, OfxTime time, const OfxRectD* region,
                       OfxPropertySetHandle* imageHandle) {
    if (imageHandle != nullptr) *imageHandle = nullptr;
    return onClip("clipGetImage", clip, [&](Clip& c, Host* host) -> OfxStatus {
        ImageRequest request{time, region != nullptr ? std::optional<OfxRectD>(*region) : std::nullopt, kOfxStatOK};
        auto answer = [&](OfxStatus s) {
            request.status = s;
            c.noteRequest(request);
            return s;
        };
        if (!c.isInstance() || host == nullptr) return answer(kOfxStatErrBadHandle);
        if (imageHandle == nullptr) return answer(kOfxStatErrValue);
        if (auto refusal = c.refusal()) return answer(*refusal);
        std::shared_ptr<ImageBuffer> buffer = c.imageAt(time);
        if (!buffer) return answer(kOfxStatFailed);

        const ImageSpec& format = buffer->format();
        const OfxRectI& b = buffer->bounds();
        const bool nullData = c.nullImageData();
        auto props = std::make_unique<PropertySet>(std::string(kOfxTypeImage) + ":" + c.name(), false);
        props->setHost(host);
        props->defineString(kOfxPropType, {kOfxTypeImage});
        props->definePointer(kOfxImagePropData, {nullData ? nullptr : buffer->data()});
        props->defineInt(kOfxImagePropBounds, {b.x1, b.y1, b.x2, b.y2});
        props->defineInt(kOfxImagePropRegionOfDefinition, {b.x1, b.y1, b.x2, b.y2});
        props->defineInt(kOfxImagePropRowBytes, {buffer->rowBytes()});
        props->defineString(kOfxImageEffectPropPixelDepth, {format.depth});
        props->defineString(kOfxImageEffectPropComponents, {format.components});
        props->defineDouble(kOfxImagePropPixelAspectRatio, {format.pixelAspectRatio});
        props->defineString(kOfxImageEffectPropPreMultiplication, {format.premultiplication});
        props->defineString(kOfxImagePropField, {format.field});
        props->defineDouble(kOfxImageEffectPropRenderScale, {format.renderScale.x, format.renderScale.y});
        props->defineString("OfxImagePropUniqueIdentifier", {uniqueIdentifier(c.name(), time)});
        *imageHandle = host->images().issue(std::move(props), c.name(), time, std::move(buffer), nullData);
        return answer(kOfxStatOK);
    });
}

OfxStatus clipReleaseImage(OfxPropertySetHandle imageHandle) {
    Host* owner = nullptr;
    detail::lookupHandle(imageHandle, HandleKind::PropertySet, owner);
    Host* host = Host::resolve(owner);
    if (host == nullptr) return kOfxStatErrBadHandle;
    std::string clip;
    const OfxStatus s = host->images().release(imageHandle, clip);
    if (!host->calls().enabled()) return s;
    return log(host, "clipReleaseImage", clip, clip.empty() ? "" : std::string(kOfxTypeImage) + ":" + clip, s);
}

OfxStatus clipGetRegionOfDefinition(OfxImageClipHandle clip, OfxTime time, OfxRectD* bounds) {
    return onClip("clipGetRegionOfDefinition", clip, [&](Clip& c, Host*) -> OfxStatus {
        if (bounds == nullptr) return kOfxStatErrValue;
        *bounds = c.regionOfDefinition(time);
        return kOfxStatOK;
    });
}

int abortEffect(OfxImageEffectHandle imageEffect) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(imageEffect, HandleKind::ImageEffect, owner);
    Host* host = Host::resolve(owner);
    if (host == nullptr) return 0;
    if (!live) {
        host->record("abort", "", "", kOfxStatErrBadHandle);
        return 0;
    }
    const int answer = host->abortControl().poll();
    host->record("abort", "", reinterpret_cast<ImageEffect*>(imageEffect)->props().tag(), answer);
    return answer;
}

OfxStatus imageMemoryAlloc(OfxImageEffectHandle instanceHandle, size_t nBytes, OfxImageMemoryHandle* memoryHandle) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(instanceHandle, HandleKind::ImageEffect, owner);
    Host* host = Host::resolve(owner);
    if (host == nullptr) return kOfxStatErrBadHandle;
    // The instance is optional; a non-null one must be real.
    if (instanceHandle != nullptr && !live) return host->record("imageMemoryAlloc", "", "", kOfxStatErrBadHandle);
    return host->record("imageMemoryAlloc", "", "", host->memory().imageAlloc(nBytes, memoryHandle));
}

OfxStatus imageMemoryFree(OfxImageMemoryHandle memoryHandle) {
    Host* host = Host::current();
    if (host == nullptr) return kOfxStatErrBadHandle;
    return host->record("imageMemoryFree", "", "", host->memory().imageFree(memoryHandle));
}

OfxStatus imageMemoryLock(OfxImageMemoryHandle memoryHandle, void** returnedPtr) {
    Host* host = Host::current();
    if (host == nullptr) return kOfxStatErrBadHandle;
    return host->record("imageMemoryLock", "", "", host->memory().imageLock(memoryHandle, returnedPtr));
}

OfxStatus imageMemoryUnlock(OfxImageMemoryHandle memoryHandle) {
    Host* host = Host::current();
    if (host == nullptr) return kOfxStatErrBadHandle;
    return host->record("imageMemoryUnlock", "", "", host->memory().imageUnlock(memoryHandle));
}

constexpr OfxImageEffectSuiteV1 kSuite = {
    getPropertySet,  getParamSet,     clipDefine,       clipGetHandle,   clipGetPropertySet,
    clipGetImage,    clipReleaseImage, clipGetRegionOfDefinition, abortEffect, imageMemoryAlloc,
    imageMemoryFree, imageMemoryLock, imageMemoryUnlock,
};

}  // namespace

const OfxImageEffectSuiteV1* imageEffectSuite() { return &kSuite; }

}  // namespace horavex::host
