#include "adapter/InstanceData.h"

#include "core/drawing/DrawingSurface.h"
#include "core/compositing/ClockPicture.h"
#include "core/compositing/SharedClockPictures.h"

namespace horavex {

ClockInstanceData::ClockInstanceData() : clockCache(std::make_unique<ClockCache>(&sharedClockPictures())) {
    sharedClockPictures().attachInstance();
}

ClockInstanceData::~ClockInstanceData() {
    clockCache.reset();
    sharedClockPictures().detachInstance();
}

}  // namespace horavex
