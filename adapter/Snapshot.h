// Copies every parameter value a render needs, at the render time, into the
// instance record. A read the host refuses leaves the field as it was.
#pragma once

#include "adapter/HostSuites.h"
#include "adapter/InstanceData.h"

namespace horavex {

// The record's render scale and pixel aspect ratio must be set first: the
// centre conversion uses them.
OfxStatus takeSnapshot(const HostSuites& suites, ClockInstanceData& record, double time);

}  // namespace horavex
