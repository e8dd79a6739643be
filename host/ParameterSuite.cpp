// OfxParameterSuiteV1 over ParamSet and Param: definitions, handles, the
// variadic value calls and keys.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Param.h"
#include "host/Suites.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <new>
#include <optional>
#include <stdexcept>

namespace horavex::host {
namespace {

constexpr std::size_t kMaxDimension = 4;

template <class Op>
OfxStatus onParam(const char* function, OfxParamHandle handle, Op&& op) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::Param, owner);
    Host* host = Host::resolve(owner);
    if (!live) return host != nullptr ? host->record(function, "", "", kOfxStatErrBadHandle) : kOfxStatErrBadHandle;
    auto* param = reinterpret_cast<Param*>(handle);
    const OfxStatus status = op(*param, host);
    return host != nullptr ? host->record(function, param->name(), param->type(), status) : status;
}

template <class Op>
OfxStatus onParamSet(const char* function, OfxParamSetHandle handle, const char* argument, Op&& op) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::ParamSet, owner);
    Host* host = Host::resolve(owner);
    const std::string_view arg = argument != nullptr ? argument : "";
    if (!live) return host != nullptr ? host->record(function, arg, "", kOfxStatErrBadHandle) : kOfxStatErrBadHandle;
    auto* set = reinterpret_cast<ParamSet*>(handle);
    const OfxStatus status = op(*set, host);
    return host != nullptr ? host->record(function, arg, set->props().tag(), status) : status;
}

double currentTime(Host* host) { return host != nullptr ? host->timeline().time() : 0.0; }

// A value read, its handle looked up once: the parameter, its host and the
// read fault set for it, if any. Thrown faults leave before the variadic
// arguments are opened; a status fault is handed back for the read to return.
struct ParamRead {
    bool live = false;
    Host* host = nullptr;
    Param* param = nullptr;
    std::optional<ParamReadFault> fault;

    explicit ParamRead(OfxParamHandle handle) {
        Host* owner = nullptr;
        live = detail::lookupHandle(handle, HandleKind::Param, owner);
        host = Host::resolve(owner);
        if (!live) return;
        param = reinterpret_cast<Param*>(handle);
        if (host != nullptr) fault = host->faults().paramReadFailure(param->name());
        if (fault && fault->kind == ParamReadFault::Kind::BadAlloc) throw std::bad_alloc();
        if (fault && fault->kind == ParamReadFault::Kind::LengthError) throw std::length_error("parameter read fault");
    }

    template <class Op>
    OfxStatus run(const char* function, Op&& op) const {
        if (!live) return host != nullptr ? host->record(function, "", "", kOfxStatErrBadHandle) : kOfxStatErrBadHandle;
        const OfxStatus status =
            fault && fault->kind == ParamReadFault::Kind::Status ? fault->status : op(*param, host);
        return host != nullptr ? host->record(function, param->name(), param->type(), status) : status;
    }
};

OfxStatus getValues(const Param& param, double time, va_list ap) {
    const ParamTypeInfo& info = param.info();
    const auto dim = static_cast<std::size_t>(info.dimension);
    switch (info.kind) {
        case ParamValueKind::None:
            return kOfxStatErrUnknown;
        case ParamValueKind::String: {
            const char** out = va_arg(ap, const char**);
            if (out == nullptr) return kOfxStatErrValue;
            *out = param.stringAt(time);
            return kOfxStatOK;
        }
        case ParamValueKind::Int: {
            std::array<int*, kMaxDimension> outs{};
            for (std::size_t i = 0; i < dim; ++i) outs[i] = va_arg(ap, int*);
            if (std::any_of(outs.begin(), outs.begin() + dim, [](int* p) { return p == nullptr; })) {
                return kOfxStatErrValue;
            }
            const std::vector<double> values = param.numbersAt(time);
            for (std::size_t i = 0; i < dim; ++i) *outs[i] = saturatingRound(values[i]);
            return kOfxStatOK;
        }
        case ParamValueKind::Double: {
            std::array<double*, kMaxDimension> outs{};
            for (std::size_t i = 0; i < dim; ++i) outs[i] = va_arg(ap, double*);
            if (std::any_of(outs.begin(), outs.begin() + dim, [](double* p) { return p == nullptr; })) {
                return kOfxStatErrValue;
            }
            const std::vector<double> values = param.numbersAt(time);
            for (std::size_t i = 0; i < dim; ++i) *outs[i] = values[i];
            return kOfxStatOK;
        }
    }
    return kOfxStatErrUnknown;
}

// `asKey`: the value always lands on a key at `time`; otherwise it replaces
// the constant value unless the parameter already has keys.
OfxStatus setValues(Param& param, double time, bool asKey, va_list ap) {
    const ParamTypeInfo& info = param.info();
    const auto dim = static_cast<std::size_t>(info.dimension);
    switch (info.kind) {
        case ParamValueKind::None:
            return kOfxStatErrUnknown;
        case ParamValueKind::String: {
            const char* value = va_arg(ap, const char*);
            if (value == nullptr) return kOfxStatErrValue;
            if (asKey) param.setStringKey(time, value);
            else param.setStringAt(time, value);
            return kOfxStatOK;
        }
        case ParamValueKind::Int:
        case ParamValueKind::Double: {
            std::vector<double> values(dim);
            for (std::size_t i = 0; i < dim; ++i) {
                values[i] = info.kind == ParamValueKind::Int ? va_arg(ap, int) : va_arg(ap, double);
            }
            if (asKey) param.setNumbersKey(time, std::move(values));
            else param.setNumbersAt(time, std::move(values));
            return kOfxStatOK;
        }
    }
    return kOfxStatErrUnknown;
}

OfxStatus paramDefine(OfxParamSetHandle paramSet, const char* paramType, const char* name,
                      OfxPropertySetHandle* propertySet) {
    if (propertySet != nullptr) *propertySet = nullptr;
    return onParamSet("paramDefine", paramSet, name, [&](ParamSet& set, Host* host) -> OfxStatus {
        if (!set.isDescriptor()) return kOfxStatErrBadHandle;
        if (paramType == nullptr || name == nullptr) return kOfxStatErrValue;
        if (host != nullptr) {
            if (auto failure = host->faults().paramDefineFailure(name)) return *failure;
        }
        if (set.find(name) != nullptr) return kOfxStatErrExists;
        if (!paramTypeInfo(paramType).known) return kOfxStatErrUnknown;
        Param& param = set.define(paramType, name);
        if (propertySet != nullptr) *propertySet = param.props().handle();
        return kOfxStatOK;
    });
}

OfxStatus paramGetHandle(OfxParamSetHandle paramSet, const char* name, OfxParamHandle* param,
                         OfxPropertySetHandle* propertySet) {
    if (param != nullptr) *param = nullptr;
    if (propertySet != nullptr) *propertySet = nullptr;
    return onParamSet("paramGetHandle", paramSet, name, [&](ParamSet& set, Host*) -> OfxStatus {
        if (name == nullptr || param == nullptr) return kOfxStatErrValue;
        Param* found = set.find(name);
        if (found == nullptr) return kOfxStatErrUnknown;
        *param = found->handle();
        if (propertySet != nullptr) *propertySet = found->props().handle();
        return kOfxStatOK;
    });
}

OfxStatus paramSetGetPropertySet(OfxParamSetHandle paramSet, OfxPropertySetHandle* propHandle) {
    return onParamSet("paramSetGetPropertySet", paramSet, nullptr, [&](ParamSet& set, Host*) -> OfxStatus {
        if (propHandle == nullptr) return kOfxStatErrValue;
        *propHandle = set.props().handle();
        return kOfxStatOK;
    });
}

OfxStatus paramGetPropertySet(OfxParamHandle param, OfxPropertySetHandle* propHandle) {
    return onParam("paramGetPropertySet", param, [&](Param& p, Host*) -> OfxStatus {
        if (propHandle == nullptr) return kOfxStatErrValue;
        *propHandle = p.props().handle();
        return kOfxStatOK;
    });
}

OfxStatus paramGetValue(OfxParamHandle paramHandle, ...) {
    const ParamRead read(paramHandle);
    va_list ap;
    va_start(ap, paramHandle);
    const OfxStatus s =
        read.run("paramGetValue", [&](Param& p, Host* host) { return getValues(p, currentTime(host), ap); });
    va_end(ap);
    return s;
}

OfxStatus paramGetValueAtTime(OfxParamHandle paramHandle, OfxTime time, ...) {
    const ParamRead read(paramHandle);
    va_list ap;
    va_start(ap, time);
    const OfxStatus s = read.run("paramGetValueAtTime", [&](Param& p, Host*) { return getValues(p, time, ap); });
    va_end(ap);
    return s;
}

OfxStatus paramGetDerivative(OfxParamHandle paramHandle, OfxTime, ...) {
    return onParam("paramGetDerivative", paramHandle, [](Param&, Host*) { return kOfxStatErrUnsupported; });
}

OfxStatus paramGetIntegral(OfxParamHandle paramHandle, OfxTime, OfxTime, ...) {
    return onParam("paramGetIntegral", paramHandle, [](Param&, Host*) { return kOfxStatErrUnsupported; });
}

OfxStatus paramSetValue(OfxParamHandle paramHandle, ...) {
    va_list ap;
    va_start(ap, paramHandle);
    const OfxStatus s = onParam("paramSetValue", paramHandle,
                                [&](Param& p, Host* host) { return setValues(p, currentTime(host), false, ap); });
    va_end(ap);
    return s;
}

OfxStatus paramSetValueAtTime(OfxParamHandle paramHandle, OfxTime time, ...) {
    va_list ap;
    va_start(ap, time);
    const OfxStatus s =
        onParam("paramSetValueAtTime", paramHandle, [&](Param& p, Host*) { return setValues(p, time, true, ap); });
    va_end(ap);
    return s;
}

OfxStatus paramGetNumKeys(OfxParamHandle paramHandle, unsigned int* numberOfKeys) {
    return onParam("paramGetNumKeys", paramHandle, [&](Param& p, Host*) -> OfxStatus {
        if (numberOfKeys == nullptr) return kOfxStatErrValue;
        *numberOfKeys = static_cast<unsigned int>(p.numKeys());
        return kOfxStatOK;
    });
}

OfxStatus paramGetKeyTime(OfxParamHandle paramHandle, unsigned int nthKey, OfxTime* time) {
    return onParam("paramGetKeyTime", paramHandle, [&](Param& p, Host*) -> OfxStatus {
        if (time == nullptr) return kOfxStatErrValue;
        std::vector<double> times = p.keyTimes();
        if (nthKey >= times.size()) return kOfxStatErrBadIndex;
        std::sort(times.begin(), times.end());
        *time = times[nthKey];
        return kOfxStatOK;
    });
}

OfxStatus paramGetKeyIndex(OfxParamHandle paramHandle, OfxTime time, int direction, int* index) {
    return onParam("paramGetKeyIndex", paramHandle, [&](Param& p, Host*) -> OfxStatus {
        if (index == nullptr) return kOfxStatErrValue;
        std::vector<double> times = p.keyTimes();
        std::sort(times.begin(), times.end());
        for (std::size_t i = 0; i < times.size(); ++i) {
            // Nearest key before looks from the end; the other cases from
            // the start.
            const std::size_t k = direction < 0 ? times.size() - 1 - i : i;
            const bool match = direction == 0 ? times[k] == time : direction < 0 ? times[k] < time : times[k] > time;
            if (match) {
                *index = static_cast<int>(k);
                return kOfxStatOK;
            }
        }
        return kOfxStatFailed;
    });
}

OfxStatus paramDeleteKey(OfxParamHandle paramHandle, OfxTime time) {
    return onParam("paramDeleteKey", paramHandle,
                   [&](Param& p, Host*) { return p.deleteKey(time) ? kOfxStatOK : kOfxStatErrBadIndex; });
}

OfxStatus paramDeleteAllKeys(OfxParamHandle paramHandle) {
    return onParam("paramDeleteAllKeys", paramHandle, [](Param& p, Host*) {
        p.removeAllKeys();
        return kOfxStatOK;
    });
}

OfxStatus paramCopy(OfxParamHandle paramTo, OfxParamHandle paramFrom, OfxTime dstOffset, const OfxRangeD* frameRange) {
    return onParam("paramCopy", paramTo, [&](Param& to, Host*) -> OfxStatus {
        Param* from = Param::fromHandle(paramFrom);
        if (from == nullptr) return kOfxStatErrBadHandle;
        if (from->type() != to.type()) return kOfxStatErrValue;
        to.copyFrom(*from, dstOffset, frameRange);
        return kOfxStatOK;
    });
}

OfxStatus paramEditBegin(OfxParamSetHandle paramSet, const char* name) {
    return onParamSet("paramEditBegin", paramSet, name, [](ParamSet& set, Host*) {
        set.beginEdit();
        return kOfxStatOK;
    });
}

OfxStatus paramEditEnd(OfxParamSetHandle paramSet) {
    return onParamSet("paramEditEnd", paramSet, nullptr,
                      [](ParamSet& set, Host*) { return set.endEdit() ? kOfxStatOK : kOfxStatFailed; });
}

constexpr OfxParameterSuiteV1 kSuite = {
    paramDefine,       paramGetHandle,     paramSetGetPropertySet, paramGetPropertySet, paramGetValue,
    paramGetValueAtTime, paramGetDerivative, paramGetIntegral,     paramSetValue,       paramSetValueAtTime,
    paramGetNumKeys,   paramGetKeyTime,    paramGetKeyIndex,       paramDeleteKey,      paramDeleteAllKeys,
    paramCopy,         paramEditBegin,     paramEditEnd,
};

}  // namespace

const OfxParameterSuiteV1* parameterSuite() { return &kSuite; }

}  // namespace horavex::host
