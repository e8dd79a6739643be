#include "adapter/ImageChecks.h"

#include <cstdint>
#include <cstdlib>

#include "core/compositing/PixelAddress.h"

namespace horavex {

bool isCompositableImage(const HostImage& image) {
    if (!image.isRgba || image.isAlpha) {
        return false;
    }
    if (image.bitDepth != 8 && image.bitDepth != 16 && image.bitDepth != 32) {
        return false;
    }
    const std::int64_t pixelBytes = 4 * std::int64_t{image.bitDepth} / 8;
    return std::llabs(std::int64_t{image.rowBytes}) >= rectWidth(image.rect) * pixelBytes;
}

bool sourceMatchesOutput(const HostImage& source, const HostImage& output) {
    return isCompositableImage(source) && source.bitDepth == output.bitDepth;
}

}  // namespace horavex
