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

ProjectFrame projectFrameFromImage(OfxRectI bounds, double pixelAspectRatio) {
    const double ratio = usableAspectRatio(pixelAspectRatio);
    // 64-bit differences: the bounds may span the whole int range.
    const double width = static_cast<double>(int64_t{bounds.x2} - int64_t{bounds.x1});
    const double height = static_cast<double>(int64_t{bounds.y2} - int64_t{bounds.y1});
    return ProjectFrame{bounds.x1 * ratio, static_cast<double>(bounds.y1), width * ratio, height};
}

bool usableProjectFrame(const ProjectFrame& frame) {
    return std::isfinite(frame.x) && std::isfinite(frame.y) && std::isfinite(frame.width) &&
           std::isfinite(frame.height) && frame.width > 0.0 && frame.height > 0.0;
}

std::array<double, 2> centreFraction(std::array<double, 2> value, const CentreMapping& mapping) {
    if (mapping.units == SpatialUnits::Fraction || !usableProjectFrame(mapping.frame)) {
        return value;
    }
    const ProjectFrame& f = mapping.frame;
    return {(value[0] - f.x) / f.width, (value[1] - f.y) / f.height};
}

}  // namespace horavex
