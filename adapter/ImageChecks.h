// Whether the images a host hands over are what the compositing can work on.
// A host may ignore what the plug-in declared (RGBA only, one depth for all
// images), so both images are checked before a pixel is touched.
#pragma once

#include "adapter/ImageAccess.h"

namespace horavex {

// RGBA at 8, 16 or 32 bits, with rows far enough apart to hold a whole row of
// the image's bounds.
bool isCompositableImage(const HostImage& image);

// A source the compositing can read alongside this output: compositable and of
// the output's depth.
bool sourceMatchesOutput(const HostImage& source, const HostImage& output);

}  // namespace horavex
