// The picture the filter context works on when no source file is given:
// colour bars over a grey ramp, opaque, so that what the clock leaves alone
// and what it blends over are both easy to see.
#pragma once

#include "tools/render/PngIo.h"

namespace horavex::cli {

// A 16-bit picture of the given size (each side at least 1). The top two
// thirds hold seven 75% bars (white, yellow, cyan, green, magenta, red,
// blue, left to right); the bottom third a ramp from black on the left to
// white on the right.
RgbaImage makeTestPattern(int width, int height);

}  // namespace horavex::cli
