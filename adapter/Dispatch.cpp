#include "adapter/Dispatch.h"

#include <cstring>
#include <exception>
#include <new>

#include "core/drawing/Graphics.h"
#include "core/drawing/WarmUp.h"
#include "ofxapi/OfxNames.h"
#include "adapter/Describe.h"
#include "adapter/InstanceChanged.h"
#include "adapter/Render.h"
#include "adapter/HostSuites.h"
#include "adapter/Instance.h"
#include "adapter/LayoutActions.h"

namespace horavex {

namespace {

using Handler = OfxStatus (*)(OfxImageEffectHandle, OfxPropertySetHandle, OfxPropertySetHandle);

OfxStatus describeAction(OfxImageEffectHandle effect, OfxPropertySetHandle, OfxPropertySetHandle) {
    const OfxStatus status = describe(effect);
    // Hosts describe once, long before the first render: the fonts and the
    // rasteriser are made ready here so that the first frame does not wait.
    if (status == kOfxStatOK) {
        warmUpDrawing();
    }
    return status;
}
OfxStatus describeInContextAction(OfxImageEffectHandle effect, OfxPropertySetHandle inArgs, OfxPropertySetHandle) {
    return describeInContext(effect, inArgs);
}
OfxStatus createInstanceAction(OfxImageEffectHandle effect, OfxPropertySetHandle, OfxPropertySetHandle) {
    return createInstance(effect);
}
// Loading needs no work of ours, but a host may treat any answer other than
// success as a failure and drop the plug-in.
OfxStatus succeedAction(OfxImageEffectHandle, OfxPropertySetHandle, OfxPropertySetHandle) {
    return kOfxStatOK;
}
// The drawing library stays started from the first drawing to the unload.
OfxStatus unloadAction(OfxImageEffectHandle, OfxPropertySetHandle, OfxPropertySetHandle) {
    releaseDrawingBackend();
    return kOfxStatOK;
}
OfxStatus destroyInstanceAction(OfxImageEffectHandle effect, OfxPropertySetHandle, OfxPropertySetHandle) {
    return destroyInstance(effect);
}

struct ActionEntry {
    const char* name;
    Handler handler;
    bool needsSuites;  // every action but describe relies on suites describe fetched
};

// Compared in this order; the first equal name wins.
constexpr ActionEntry kActions[] = {
    {kOfxActionDescribe, describeAction, false},
    {kOfxImageEffectActionDescribeInContext, describeInContextAction, true},
    {kOfxActionCreateInstance, createInstanceAction, true},
    {kOfxActionDestroyInstance, destroyInstanceAction, true},
    {kOfxImageEffectActionIsIdentity, isIdentity, false},
    {kOfxImageEffectActionRender, render, true},
    {kOfxImageEffectActionGetRegionOfDefinition, getRegionOfDefinition, true},
    {kOfxImageEffectActionGetRegionsOfInterest, getRegionsOfInterest, true},
    {kOfxImageEffectActionGetClipPreferences, getClipPreferences, true},
    {kOfxActionInstanceChanged, instanceChanged, true},
    {kOfxActionLoad, succeedAction, false},
    {kOfxActionUnload, unloadAction, false},
};

OfxStatus dispatch(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                   OfxPropertySetHandle outArgs) {
    if (action == nullptr) {
        return kOfxStatReplyDefault;
    }
    for (const ActionEntry& entry : kActions) {
        if (std::strcmp(action, entry.name) != 0) {
            continue;
        }
        // A host that skipped describe, or lacks a required suite, would make
        // the handler call through a null pointer.
        if (entry.needsSuites && !hostSuites().hasRequiredSuites()) {
            return kOfxStatErrMissingHostFeature;
        }
        // The host hands effect handles as const void*; the suites take them
        // as mutable opaque handles.
        auto effect = static_cast<OfxImageEffectHandle>(const_cast<void*>(handle));
        return entry.handler(effect, inArgs, outArgs);
    }
    return kOfxStatReplyDefault;
}

}  // namespace

OfxStatus pluginMain(const char* action, const void* handle, OfxPropertySetHandle inArgs,
                     OfxPropertySetHandle outArgs) {
    try {
        return dispatch(action, handle, inArgs, outArgs);
    } catch (const std::bad_alloc&) {
        return kOfxStatErrMemory;
    } catch (const std::exception&) {
        return kOfxStatErrUnknown;
    } catch (int status) {
        return status;
    } catch (...) {
        return kOfxStatErrUnknown;
    }
}

}  // namespace horavex
