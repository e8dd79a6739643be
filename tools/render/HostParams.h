// The bridge between the host's parameter objects and the command line:
// reading what each parameter declares, and giving --set values to an
// instance's parameters.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/Param.h"
#include "tools/render/Arguments.h"
#include "tools/render/ParamValues.h"

namespace horavex::cli {

ParamDescription describeParam(const host::Param& param);
// Definition order.
std::vector<ParamDescription> describeParams(const host::ParamSet& params);

// Applies the settings in their order (a later one wins). Returns one error
// line for the first unknown name or bad value, naming the closest
// parameter names for an unknown one; empty when all applied.
// Values of 2-D parameters with normalised defaults are fractions of the
// frame from the user; `setFraction`, when given, hands them to the host in
// its own coordinates (host::Effect::setSpatialFraction).
using FractionSetter = std::function<void(host::Param& param, double x, double y)>;
std::string applySettings(host::ParamSet& params, const std::vector<Setting>& settings,
                          const FractionSetter& setFraction = {});

}  // namespace horavex::cli
