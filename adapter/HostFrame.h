// What a render takes from the host about the frame besides its images: the
// frame rate the clock runs at and how to read "Clock Centre". Small steps of
// the render action, each asking the host in a fixed order of preference.
#pragma once

#include "core/values/ClockCentre.h"
#include "adapter/EffectAccess.h"
#include "adapter/ImageAccess.h"
#include "adapter/InstanceData.h"

namespace horavex {

// The effect's "OfxImageEffectPropFrameRate", else the output clip's, else
// the source clip's (outside the generator context); a rate that is missing,
// zero, negative or NaN does not count. With none usable the clock runs at
// kFallbackFrameRate, and the host's log is told so once per process (a log
// message, never a dialog).
double readFrameRate(const EffectRef& instance, const ClockInstanceData& record);

// The units "corner1" comes back in (by the host's "OfxPropName") and the
// project rectangle canonical values are measured against: the effect's
// project offset and size where the host gives them, else the output image's
// bounds scaled by its pixel aspect ratio.
CentreMapping readCentreMapping(const EffectRef& instance, const HostImage& output, double pixelAspectRatio);

}  // namespace horavex
