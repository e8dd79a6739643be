// Clipping a polygon to an axis-aligned rectangle in double precision, so that
// shapes with coordinates far outside the picture reach the rasteriser inside
// the range its fixed-point numbers can hold.
#pragma once

#include <vector>

namespace horavex {

struct PointD {
    double x = 0.0;
    double y = 0.0;
};

struct ClipBox {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// Clips against each edge in turn. Every point inside the box keeps its winding
// number, so both fill rules give the same pixels inside the box as before.
std::vector<PointD> clipPolygon(const std::vector<PointD>& polygon, const ClipBox& box);

}  // namespace horavex
