#include "core/drawing/PolygonClip.h"

#include <cstddef>

namespace horavex {
namespace {

template <typename Inside, typename Cross>
std::vector<PointD> clipEdge(const std::vector<PointD>& input, Inside inside, Cross cross) {
    std::vector<PointD> output;
    if (input.empty()) {
        return output;
    }
    output.reserve(input.size() + 4);
    PointD previous = input.back();
    bool previousInside = inside(previous);
    for (const PointD& current : input) {
        const bool currentInside = inside(current);
        if (currentInside != previousInside) {
            output.push_back(cross(previous, current));
        }
        if (currentInside) {
            output.push_back(current);
        }
        previous = current;
        previousInside = currentInside;
    }
    return output;
}

PointD atX(const PointD& a, const PointD& b, double x) {
    const double t = (x - a.x) / (b.x - a.x);
    return PointD{x, a.y + (b.y - a.y) * t};
}

PointD atY(const PointD& a, const PointD& b, double y) {
    const double t = (y - a.y) / (b.y - a.y);
    return PointD{a.x + (b.x - a.x) * t, y};
}

}  // namespace

std::vector<PointD> clipPolygon(const std::vector<PointD>& polygon, const ClipBox& box) {
    std::vector<PointD> points = clipEdge(
        polygon, [&](const PointD& p) { return p.x >= box.left; },
        [&](const PointD& a, const PointD& b) { return atX(a, b, box.left); });
    points = clipEdge(
        points, [&](const PointD& p) { return p.x <= box.right; },
        [&](const PointD& a, const PointD& b) { return atX(a, b, box.right); });
    points = clipEdge(
        points, [&](const PointD& p) { return p.y >= box.top; },
        [&](const PointD& a, const PointD& b) { return atY(a, b, box.top); });
    points = clipEdge(
        points, [&](const PointD& p) { return p.y <= box.bottom; },
        [&](const PointD& a, const PointD& b) { return atY(a, b, box.bottom); });
    return points;
}

}  // namespace horavex
