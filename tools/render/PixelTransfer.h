// Moving pixels between OFX images and PNG pictures. OFX images here are
// premultiplied RGBA with rows from the bottom (the host's images say so);
// PNG pictures are straight RGBA with rows from the top.
#pragma once

#include <cstdint>

#include "host/Image.h"
#include "tools/render/PngIo.h"

namespace horavex::cli {

// 8-bit images give 8-bit pictures; 16-bit and float images 16-bit ones
// (float channels clamped to 0..1, NaN as 0). Colour under zero alpha
// becomes 0.
RgbaImage imageToRgba(const host::ImageBuffer& image);

// One row of premultiplied 8-bit RGBA pixels as straight 8-bit RGBA, rounded
// as imageToRgba rounds.
void straightenByteRow(const uint8_t* premultiplied, uint8_t* straight, int width);

// The picture must be as large as the image (std::invalid_argument
// otherwise); any picture depth into any image depth.
void rgbaToImage(const RgbaImage& picture, host::ImageBuffer& image);

}  // namespace horavex::cli
