// Parameter value shapes and keyframe interpolation.
#include "host/ParamAnimation.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace horavex::host {

ParamTypeInfo paramTypeInfo(std::string_view type) {
    using K = ParamValueKind;
    using I = Interpolation;
    struct Row {
        std::string_view type;
        ParamTypeInfo info;
    };
    static constexpr Row rows[] = {
        {"OfxParamTypeInteger", {true, K::Int, 1, I::Linear}},
        {"OfxParamTypeInteger2D", {true, K::Int, 2, I::Linear}},
        {"OfxParamTypeInteger3D", {true, K::Int, 3, I::Linear}},
        {"OfxParamTypeBoolean", {true, K::Int, 1, I::Step}},
        {"OfxParamTypeChoice", {true, K::Int, 1, I::Step}},
        {"OfxParamTypeDouble", {true, K::Double, 1, I::Linear}},
        {"OfxParamTypeDouble2D", {true, K::Double, 2, I::Linear}},
        {"OfxParamTypeDouble3D", {true, K::Double, 3, I::Linear}},
        {"OfxParamTypeRGB", {true, K::Double, 3, I::Linear}},
        {"OfxParamTypeRGBA", {true, K::Double, 4, I::Linear}},
        {"OfxParamTypeString", {true, K::String, 1, I::Step}},
        {"OfxParamTypeCustom", {true, K::String, 1, I::Step}},
        {"OfxParamTypeStrChoice", {true, K::String, 1, I::Step}},
        {"OfxParamTypeGroup", {true, K::None, 0, I::Step}},
        {"OfxParamTypePage", {true, K::None, 0, I::Step}},
        {"OfxParamTypePushButton", {true, K::None, 0, I::Step}},
        {"OfxParamTypeBytes", {true, K::None, 0, I::Step}},
    };
    for (const Row& row : rows) {
        if (row.type == type) return row.info;
    }
    return ParamTypeInfo{};
}

int saturatingRound(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::round(value);
    if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(r);
}

std::vector<double> interpolateKeys(const std::map<double, std::vector<double>>& keys, double time,
                                    Interpolation interpolation) {
    auto after = keys.upper_bound(time);
    if (after == keys.begin()) return after->second;
    auto before = std::prev(after);
    if (after == keys.end() || interpolation == Interpolation::Step || before->first == time) {
        return before->second;
    }
    const double t0 = before->first;
    const double t1 = after->first;
    const double f = (time - t0) / (t1 - t0);
    const std::vector<double>& v0 = before->second;
    const std::vector<double>& v1 = after->second;
    std::vector<double> result(std::min(v0.size(), v1.size()));
    for (std::size_t i = 0; i < result.size(); ++i) result[i] = v0[i] + (v1[i] - v0[i]) * f;
    return result;
}

}  // namespace horavex::host
