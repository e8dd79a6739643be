// OfxInteractSuiteV1 (this host has no interacts) and OfxTimeLineSuiteV1
// over the host's TimeLine.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Suites.h"

namespace horavex::host {
namespace {

OfxStatus log(Host* host, const char* function, OfxStatus status) {
    return host != nullptr ? host->record(function, "", "", status) : status;
}

OfxStatus interactSwapBuffers(OfxInteractHandle) { return log(Host::current(), "interactSwapBuffers", kOfxStatErrBadHandle); }

OfxStatus interactRedraw(OfxInteractHandle) { return log(Host::current(), "interactRedraw", kOfxStatErrBadHandle); }

OfxStatus interactGetPropertySet(OfxInteractHandle, OfxPropertySetHandle* property) {
    if (property != nullptr) *property = nullptr;
    return log(Host::current(), "interactGetPropertySet", kOfxStatErrBadHandle);
}

// The time line functions take the effect instance; a handle that is not
// one is refused.
Host* timeLineHost(void* instance, bool& live) {
    Host* owner = nullptr;
    live = detail::lookupHandle(instance, HandleKind::ImageEffect, owner);
    return Host::resolve(owner);
}

OfxStatus getTime(void* instance, double* time) {
    bool live = false;
    Host* host = timeLineHost(instance, live);
    if (!live || host == nullptr) return log(host, "getTime", kOfxStatErrBadHandle);
    if (time == nullptr) return log(host, "getTime", kOfxStatErrValue);
    *time = host->timeline().time();
    return log(host, "getTime", kOfxStatOK);
}

OfxStatus gotoTime(void* instance, double time) {
    bool live = false;
    Host* host = timeLineHost(instance, live);
    if (!live || host == nullptr) return log(host, "gotoTime", kOfxStatErrBadHandle);
    host->timeline().setTime(time);
    return log(host, "gotoTime", kOfxStatOK);
}

OfxStatus getTimeBounds(void* instance, double* firstTime, double* lastTime) {
    bool live = false;
    Host* host = timeLineHost(instance, live);
    if (!live || host == nullptr) return log(host, "getTimeBounds", kOfxStatErrBadHandle);
    if (firstTime == nullptr || lastTime == nullptr) return log(host, "getTimeBounds", kOfxStatErrValue);
    host->timeline().bounds(*firstTime, *lastTime);
    return log(host, "getTimeBounds", kOfxStatOK);
}

constexpr OfxInteractSuiteV1 kInteractSuite = {interactSwapBuffers, interactRedraw, interactGetPropertySet};
constexpr OfxTimeLineSuiteV1 kTimeLineSuite = {getTime, gotoTime, getTimeBounds};

}  // namespace

const OfxInteractSuiteV1* interactSuite() { return &kInteractSuite; }
const OfxTimeLineSuiteV1* timeLineSuite() { return &kTimeLineSuite; }

}  // namespace horavex::host
