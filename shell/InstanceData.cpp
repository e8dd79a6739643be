#include "shell/InstanceData.h"

#include "drawing/DrawingSurface.h"
#include "render/ClockPicture.h"

namespace horavex {

ClockInstanceData::ClockInstanceData() : clockCache(std::make_unique<ClockCache>()) {}
ClockInstanceData::~ClockInstanceData() = default;

}  // namespace horavex
