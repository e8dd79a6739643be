#include "shell/InstanceData.h"

#include "drawing/DrawingSurface.h"
#include "render/ClockPicture.h"
#include "render/SharedClockPictures.h"

namespace horavex {

ClockInstanceData::ClockInstanceData() : clockCache(std::make_unique<ClockCache>(&sharedClockPictures())) {
    sharedClockPictures().attachInstance();
}

ClockInstanceData::~ClockInstanceData() {
    clockCache.reset();
    sharedClockPictures().detachInstance();
}

}  // namespace horavex
