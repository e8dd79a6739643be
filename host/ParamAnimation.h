// Pure computations behind parameter values: the value shape of each
// parameter type, keyframe interpolation and the saturating conversion of a
// double to an int.
#pragma once

#include <map>
#include <string_view>
#include <vector>

namespace horavex::host {

enum class ParamValueKind { None, Int, Double, String };

// Linear: straight lines between keys (integer types round the result to the
// nearest integer, halves away from zero). Step: a key's value holds until
// the next key. Both hold the first key's value before it and the last key's
// value after it.
enum class Interpolation { Linear, Step };

struct ParamTypeInfo {
    bool known = false;
    ParamValueKind kind = ParamValueKind::None;
    int dimension = 0;
    Interpolation interpolation = Interpolation::Step;
};

// Integer, Integer2D/3D: Int, linear then rounded. Boolean, Choice: Int,
// step. Double, Double2D/3D, RGB, RGBA: Double, linear. String, Custom,
// StrChoice: String, step. Group, Page, PushButton, Bytes: None.
ParamTypeInfo paramTypeInfo(std::string_view type);

// Round half away from zero and clamp to the int range; NaN gives 0.
int saturatingRound(double value);

// `keys` must not be empty; every key holds the same number of values.
std::vector<double> interpolateKeys(const std::map<double, std::vector<double>>& keys, double time,
                                    Interpolation interpolation);

}  // namespace horavex::host
