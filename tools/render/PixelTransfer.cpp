#include "tools/render/PixelTransfer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ofxapi/OfxNames.h"
#include "tools/render/ValueParsing.h"

namespace horavex::cli {

namespace {

enum class Depth { Byte, Short, Float };

Depth depthOf(const host::ImageBuffer& image) {
    const std::string& depth = image.format().depth;
    if (depth == kOfxBitDepthByte) return Depth::Byte;
    if (depth == kOfxBitDepthShort) return Depth::Short;
    if (depth == kOfxBitDepthFloat) return Depth::Float;
    throw std::invalid_argument(joinText({"unsupported pixel depth ", depth}));
}

// Rounded straight colour of a premultiplied integer channel.
uint16_t unpremultiply(uint32_t colour, uint32_t alpha, uint32_t max) {
    if (alpha == 0) return 0;
    const uint64_t straight = (uint64_t{colour} * max + alpha / 2) / alpha;
    return static_cast<uint16_t>(std::min<uint64_t>(straight, max));
}

// 0..1 to 0..max, rounded; NaN gives 0.
uint16_t toSample(double value, double max) {
    if (std::isnan(value)) return 0;
    return static_cast<uint16_t>(std::lround(std::clamp(value, 0.0, 1.0) * max));
}

// unpremultiply(colour, alpha, 255) for every 8-bit pair, looked up: frames
// are converted by the hundred, and a division per channel is most of it.
const std::vector<uint8_t>& straightBytes() {
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> t(256 * 256);
        for (uint32_t alpha = 0; alpha < 256; ++alpha) {
            for (uint32_t colour = 0; colour < 256; ++colour) {
                t[alpha * 256 + colour] = static_cast<uint8_t>(unpremultiply(colour, alpha, 255));
            }
        }
        return t;
    }();
    return table;
}

void byteRows(const host::ImageBuffer& image, RgbaImage& picture) {
    const std::vector<uint8_t>& straight = straightBytes();
    const OfxRectI& b = image.bounds();
    for (int row = 0; row < picture.height; ++row) {
        const auto* in = reinterpret_cast<const uint8_t*>(image.address(b.x1, b.y2 - 1 - row));
        uint16_t* out = picture.pixel(0, row);
        for (int column = 0; column < picture.width; ++column, in += 4, out += 4) {
            const uint8_t* line = straight.data() + std::size_t{in[3]} * 256;
            out[0] = line[in[0]];
            out[1] = line[in[1]];
            out[2] = line[in[2]];
            out[3] = in[3];
        }
    }
}

}  // namespace

void straightenByteRow(const uint8_t* in, uint8_t* out, int width) {
    const std::vector<uint8_t>& straight = straightBytes();
    for (int column = 0; column < width; ++column, in += 4, out += 4) {
        const uint8_t* line = straight.data() + std::size_t{in[3]} * 256;
        out[0] = line[in[0]];
        out[1] = line[in[1]];
        out[2] = line[in[2]];
        out[3] = in[3];
    }
}

RgbaImage imageToRgba(const host::ImageBuffer& image) {
    const Depth depth = depthOf(image);
    RgbaImage picture;
    picture.resize(image.width(), image.height(), depth == Depth::Byte ? 8 : 16);
    if (depth == Depth::Byte) {
        byteRows(image, picture);
        return picture;
    }
    const OfxRectI& b = image.bounds();
    for (int row = 0; row < picture.height; ++row) {
        const int y = b.y2 - 1 - row;
        for (int column = 0; column < picture.width; ++column) {
            const int x = b.x1 + column;
            uint16_t* out = picture.pixel(column, row);
            if (depth == Depth::Byte) {
                const auto p = image.read<OfxRGBAColourB>(x, y);
                out[0] = unpremultiply(p.r, p.a, 255);
                out[1] = unpremultiply(p.g, p.a, 255);
                out[2] = unpremultiply(p.b, p.a, 255);
                out[3] = p.a;
            } else if (depth == Depth::Short) {
                const auto p = image.read<OfxRGBAColourS>(x, y);
                out[0] = unpremultiply(p.r, p.a, 65535);
                out[1] = unpremultiply(p.g, p.a, 65535);
                out[2] = unpremultiply(p.b, p.a, 65535);
                out[3] = p.a;
            } else {
                const auto p = image.read<OfxRGBAColourF>(x, y);
                const double alpha = std::isnan(p.a) ? 0.0 : std::clamp(double{p.a}, 0.0, 1.0);
                out[3] = toSample(alpha, 65535.0);
                if (out[3] != 0) {
                    out[0] = toSample(p.r / alpha, 65535.0);
                    out[1] = toSample(p.g / alpha, 65535.0);
                    out[2] = toSample(p.b / alpha, 65535.0);
                }
            }
        }
    }
    return picture;
}

void rgbaToImage(const RgbaImage& picture, host::ImageBuffer& image) {
    if (picture.width != image.width() || picture.height != image.height()) {
        throw std::invalid_argument("picture and image differ in size");
    }
    const Depth depth = depthOf(image);
    const double max = picture.maxSample();
    const OfxRectI& b = image.bounds();
    for (int row = 0; row < picture.height; ++row) {
        const int y = b.y2 - 1 - row;
        for (int column = 0; column < picture.width; ++column) {
            const int x = b.x1 + column;
            const uint16_t* in = picture.pixel(column, row);
            const double alpha = in[3] / max;
            const double r = in[0] / max * alpha;
            const double g = in[1] / max * alpha;
            const double bl = in[2] / max * alpha;
            if (depth == Depth::Byte) {
                image.write(x, y,
                            OfxRGBAColourB{static_cast<unsigned char>(toSample(r, 255.0)),
                                           static_cast<unsigned char>(toSample(g, 255.0)),
                                           static_cast<unsigned char>(toSample(bl, 255.0)),
                                           static_cast<unsigned char>(toSample(alpha, 255.0))});
            } else if (depth == Depth::Short) {
                image.write(x, y,
                            OfxRGBAColourS{toSample(r, 65535.0), toSample(g, 65535.0), toSample(bl, 65535.0),
                                           toSample(alpha, 65535.0)});
            } else {
                image.write(x, y,
                            OfxRGBAColourF{static_cast<float>(r), static_cast<float>(g), static_cast<float>(bl),
                                           static_cast<float>(alpha)});
            }
        }
    }
}

}  // namespace horavex::cli
