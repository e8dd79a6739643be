// The time text of a render, with the free format fetched from the host.
#pragma once

#include <string>

#include "core/clocktime/ShownTime.h"
#include "ofxapi/OfxApi.h"
#include "adapter/HostSuites.h"

namespace horavex {

// The current text of "Dig Clock Free Format", copied; empty when the host
// does not deliver it.
std::string readFreeFormat(const HostSuites& suites, OfxImageEffectHandle instance);

// buildTimeText for a render: asks the host for the free format only when
// format 13 is chosen.
std::wstring renderTimeText(const HostSuites& suites, OfxImageEffectHandle instance, int digitalFormat,
                            const ShownTime& shown);

}  // namespace horavex
