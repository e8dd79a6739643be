#include "shell/InstanceData.h"

#include "drawing/DrawingSurface.h"

namespace horavex {

ClockInstanceData::ClockInstanceData() = default;
ClockInstanceData::~ClockInstanceData() = default;

}  // namespace horavex
