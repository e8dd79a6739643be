#include "core/values/ClockCentre.h"

#include <cmath>

#include "common/Saturate.h"

namespace horavex {

SpatialUnits spatialUnitsForHost(std::string_view hostName) {
    struct Quirk {
        std::string_view hostName;
        SpatialUnits units;
    };
    static constexpr Quirk kQuirks[] = {
        {"MLT", SpatialUnits::Fraction},
    };
    for (const Quirk& quirk : kQuirks) {
        if (quirk.hostName == hostName) {
            return quirk.units;
        }
    }
    return SpatialUnits::Canonical;
}

bool usableProjectFrame(const ProjectFrame& frame) {
    return std::isfinite(frame.x) && std::isfinite(frame.y) && std::isfinite(frame.width) &&
           std::isfinite(frame.height) && frame.width > 0.0 && frame.height > 0.0;
}

bool looksLikeRawFraction(std::array<double, 2> value, const ProjectFrame& frame) {
    auto inUnit = [](double v) { return v >= 0.0 && v <= 1.0; };
    return inUnit(value[0]) && inUnit(value[1]) && frame.width >= kSmallestFrameForFractions &&
           frame.height >= kSmallestFrameForFractions;
}

std::array<double, 2> centreFraction(std::array<double, 2> value, const CentreMapping& mapping) {
    if (mapping.units == SpatialUnits::Fraction || !usableProjectFrame(mapping.frame) ||
        looksLikeRawFraction(value, mapping.frame)) {
        return value;
    }
    const ProjectFrame& f = mapping.frame;
    return {(value[0] - f.x) / f.width, (value[1] - f.y) / f.height};
}

}  // namespace horavex
