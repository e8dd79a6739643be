// Where "Clock Centre" points, as a fraction of the frame, whatever units the
// host hands the value back in.
//
// The OFX rule: a spatial parameter (OfxParamDoubleTypeXYAbsolute) is got and
// set in canonical coordinates; "OfxParamCoordinatesNormalised" only says that
// its default was given as a fraction, which the host turns into canonical
// coordinates against the project (x scaled by the pixel aspect ratio). Some
// hosts hand back the raw fraction instead; they are listed by name in
// spatialUnitsForHost.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "ofxapi/OfxApi.h"

namespace horavex {

enum class SpatialUnits : int16_t {
    Canonical,  // the standard: canonical coordinates of the project
    Fraction,   // the raw 0..1 fraction of the frame
};

// The project's rectangle in canonical coordinates: offset and size.
struct ProjectFrame {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;

    friend constexpr bool operator==(const ProjectFrame&, const ProjectFrame&) noexcept = default;
};

struct CentreMapping {
    SpatialUnits units = SpatialUnits::Fraction;
    ProjectFrame frame;

    friend constexpr bool operator==(const CentreMapping&, const CentreMapping&) noexcept = default;
};

// Hosts known to hand spatial parameters back as raw fractions, keyed by the
// host's "OfxPropName":
//   "MLT"  MLT's OpenFX module (melt, Shotcut, Kdenlive), up to 7.41 at least.
// Every other host is taken to follow the standard.
SpatialUnits spatialUnitsForHost(std::string_view hostName);

// The project rectangle a host implies by an image: its pixel bounds, x scaled
// by the pixel aspect ratio (canonical x = pixel x * PAR). A broken ratio
// counts as 1.
ProjectFrame projectFrameFromImage(OfxRectI bounds, double pixelAspectRatio);

// A usable project rectangle has a finite offset and a finite, positive size.
bool usableProjectFrame(const ProjectFrame& frame);

// "corner1"'s value as a fraction of the frame (x to the right, y upward).
// Canonical values are measured against the mapping's frame; when that frame
// is unusable the value is taken as a fraction, which is what it most likely
// is then.
std::array<double, 2> centreFraction(std::array<double, 2> value, const CentreMapping& mapping);

}  // namespace horavex
