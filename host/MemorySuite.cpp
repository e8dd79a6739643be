// OfxMemorySuiteV1 over the host's MemoryTracker.
#include "host/HandleRegistry.h"
#include "host/Host.h"
#include "host/Suites.h"

namespace horavex::host {
namespace {

OfxStatus memoryAlloc(void* handle, size_t nBytes, void** allocatedData) {
    Host* owner = nullptr;
    const bool live = detail::lookupHandle(handle, HandleKind::ImageEffect, owner);
    Host* host = Host::resolve(owner);
    if (host == nullptr) return kOfxStatErrBadHandle;
    // The handle is optional; a non-null one must be an effect instance.
    if (handle != nullptr && !live) return host->record("memoryAlloc", "", "", kOfxStatErrBadHandle);
    return host->record("memoryAlloc", "", "", host->memory().alloc(nBytes, allocatedData));
}

OfxStatus memoryFree(void* allocatedData) {
    Host* host = Host::current();
    if (host == nullptr) return kOfxStatErrBadHandle;
    return host->record("memoryFree", "", "", host->memory().free(allocatedData));
}

constexpr OfxMemorySuiteV1 kSuite = {memoryAlloc, memoryFree};

}  // namespace

const OfxMemorySuiteV1* memorySuite() { return &kSuite; }

}  // namespace horavex::host
