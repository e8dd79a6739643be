// Process-wide table of the live objects whose addresses the host hands to a
// plug-in as opaque handles. Every suite function looks its handle up here
// first, so a null, stale, released or wrongly typed handle is answered with
// kOfxStatErrBadHandle instead of being dereferenced.
#pragma once

#include <cstdint>

namespace horavex::host {

class Host;

enum class HandleKind : std::uint8_t {
    PropertySet,
    ParamSet,
    Param,
    Clip,
    ImageEffect,
    Mutex,
};

namespace detail {

// The owner is the host whose call log and faults apply to calls on the
// handle; it may be null for objects a test made on its own.
void registerHandle(const void* object, HandleKind kind, Host* owner);
void unregisterHandle(const void* object);
void setHandleOwner(const void* object, Host* owner);
bool isLiveHandle(const void* object, HandleKind kind);
// True when the handle is live and of that kind; `owner` then receives its
// owner (possibly null).
bool lookupHandle(const void* object, HandleKind kind, Host*& owner);

}  // namespace detail
}  // namespace horavex::host
