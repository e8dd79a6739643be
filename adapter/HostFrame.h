// What a render takes from the host about the frame besides its images: the
// frame rate the clock runs at and how to read "Clock Centre". Small steps of
// the render action, each asking the host in a fixed order of preference.
#pragma once

#include "core/values/ClockCentre.h"
#include "core/compositing/ClockGeometry.h"
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

// The rate the clock runs at: the one "Frame Rate" names (from the record's
// snapshot), else the host's (readFrameRate).
double clockFrameRate(const EffectRef& instance, const ClockInstanceData& record);

struct RenderLayout {
    LayoutFrame frame;     // the frame the clock is laid out on
    CentreMapping centre;  // how "corner1" is read against it
};

// The frame the clock is laid out on (chooseLayoutFrame: the output clip's
// region of definition, else the effect's project, else the output image's
// bounds) at the render call's scale, and how to read "corner1": in the
// units the host hands it back in (by its "OfxPropName"), canonical values
// measured against that frame, so that the clock sits on the canonical point
// whatever the project, the region, the render scale or the window.
RenderLayout readRenderLayout(const EffectRef& instance, const ClockInstanceData& record, double time,
                              const PropertySetRef& renderArgs, const HostImage& output, double pixelAspectRatio);

}  // namespace horavex
