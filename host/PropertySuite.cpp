// OfxPropertySuiteV1 over PropertySet, with handle checks, call logging and
// the property faults.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/PropertySet.h"
#include "host/Suites.h"

namespace horavex::host {
namespace {

// Runs `op` on the set behind `handle` and logs the call. The host's property
// faults are consulted first.
template <class Op>
OfxStatus onSet(const char* function, OfxPropertySetHandle handle, const char* property, bool write, Op&& op) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::PropertySet, owner);
    Host* host = Host::resolve(owner);
    const std::string_view name = property != nullptr ? property : "";
    auto log = [&](std::string_view target, OfxStatus status) {
        return host != nullptr ? host->record(function, name, target, status) : status;
    };
    if (!live) return log("", kOfxStatErrBadHandle);
    auto* props = reinterpret_cast<PropertySet*>(handle);
    if (property == nullptr) return log(props->tag(), kOfxStatErrUnknown);
    if (host != nullptr) {
        const Faults& faults = host->faults();
        auto failure = write ? faults.propertySetFailure(name, props->tag()) : faults.propertyGetFailure(name, props->tag());
        if (failure) return log(props->tag(), *failure);
    }
    return log(props->tag(), op(*props));
}

OfxStatus propSetPointer(OfxPropertySetHandle h, const char* p, int index, void* value) {
    return onSet("propSetPointer", h, p, true, [&](PropertySet& s) { return s.setPointer(p, index, value); });
}
OfxStatus propSetString(OfxPropertySetHandle h, const char* p, int index, const char* value) {
    return onSet("propSetString", h, p, true, [&](PropertySet& s) { return s.setString(p, index, value); });
}
OfxStatus propSetDouble(OfxPropertySetHandle h, const char* p, int index, double value) {
    return onSet("propSetDouble", h, p, true, [&](PropertySet& s) { return s.setDouble(p, index, value); });
}
OfxStatus propSetInt(OfxPropertySetHandle h, const char* p, int index, int value) {
    return onSet("propSetInt", h, p, true, [&](PropertySet& s) { return s.setInt(p, index, value); });
}
OfxStatus propSetPointerN(OfxPropertySetHandle h, const char* p, int count, void* const* value) {
    return onSet("propSetPointerN", h, p, true, [&](PropertySet& s) { return s.setPointerN(p, count, value); });
}
OfxStatus propSetStringN(OfxPropertySetHandle h, const char* p, int count, const char* const* value) {
    return onSet("propSetStringN", h, p, true, [&](PropertySet& s) { return s.setStringN(p, count, value); });
}
OfxStatus propSetDoubleN(OfxPropertySetHandle h, const char* p, int count, const double* value) {
    return onSet("propSetDoubleN", h, p, true, [&](PropertySet& s) { return s.setDoubleN(p, count, value); });
}
OfxStatus propSetIntN(OfxPropertySetHandle h, const char* p, int count, const int* value) {
    return onSet("propSetIntN", h, p, true, [&](PropertySet& s) { return s.setIntN(p, count, value); });
}
OfxStatus propGetPointer(OfxPropertySetHandle h, const char* p, int index, void** value) {
    return onSet("propGetPointer", h, p, false, [&](PropertySet& s) { return s.queryPointer(p, index, value); });
}
OfxStatus propGetString(OfxPropertySetHandle h, const char* p, int index, char** value) {
    return onSet("propGetString", h, p, false, [&](PropertySet& s) { return s.queryString(p, index, value); });
}
OfxStatus propGetDouble(OfxPropertySetHandle h, const char* p, int index, double* value) {
    return onSet("propGetDouble", h, p, false, [&](PropertySet& s) { return s.queryDouble(p, index, value); });
}
OfxStatus propGetInt(OfxPropertySetHandle h, const char* p, int index, int* value) {
    return onSet("propGetInt", h, p, false, [&](PropertySet& s) { return s.queryInt(p, index, value); });
}
OfxStatus propGetPointerN(OfxPropertySetHandle h, const char* p, int count, void** value) {
    return onSet("propGetPointerN", h, p, false, [&](PropertySet& s) { return s.queryPointerN(p, count, value); });
}
OfxStatus propGetStringN(OfxPropertySetHandle h, const char* p, int count, char** value) {
    return onSet("propGetStringN", h, p, false, [&](PropertySet& s) { return s.queryStringN(p, count, value); });
}
OfxStatus propGetDoubleN(OfxPropertySetHandle h, const char* p, int count, double* value) {
    return onSet("propGetDoubleN", h, p, false, [&](PropertySet& s) { return s.queryDoubleN(p, count, value); });
}
OfxStatus propGetIntN(OfxPropertySetHandle h, const char* p, int count, int* value) {
    return onSet("propGetIntN", h, p, false, [&](PropertySet& s) { return s.queryIntN(p, count, value); });
}
OfxStatus propReset(OfxPropertySetHandle h, const char* p) {
    return onSet("propReset", h, p, true, [&](PropertySet& s) { return s.reset(p); });
}
OfxStatus propGetDimension(OfxPropertySetHandle h, const char* p, int* count) {
    return onSet("propGetDimension", h, p, false, [&](PropertySet& s) { return s.queryDimension(p, count); });
}

constexpr OfxPropertySuiteV1 kSuite = {
    propSetPointer,  propSetString,  propSetDouble,  propSetInt,     propSetPointerN,  propSetStringN,
    propSetDoubleN,  propSetIntN,    propGetPointer, propGetString,  propGetDouble,    propGetInt,
    propGetPointerN, propGetStringN, propGetDoubleN, propGetIntN,    propReset,        propGetDimension,
};

}  // namespace

const OfxPropertySuiteV1* propertySuite() { return &kSuite; }

}  // namespace horavex::host
