// Pixels between decoded or encoded video frames and the render's images,
// through libswscale: the video's YUV (or RGB) at its size, the render's
// premultiplied RGBA with rows from the bottom at its own size and depth.
// The YUV matrix is the frame's own where it names one, else BT.709 above
// 576 lines and BT.601 up to there, as players assume.
#pragma once

#include <cstdint>
#include <vector>

#include "host/Image.h"
#include "tools/render/LibavHandles.h"

namespace horavex::cli {

// The matrix a video of `height` lines is taken to use when it names none.
AVColorSpace defaultColorSpace(int height);

// yuvj420p and its kind are yuv420p with full range; others are themselves.
AVPixelFormat withoutFullRangeAlias(AVPixelFormat format, bool& fullRange);

class FrameToImage {
public:
    // The frame scaled to the image's size; colours with alpha are
    // premultiplied. Throws std::runtime_error when libswscale refuses the
    // conversion.
    void convert(const AVFrame& frame, host::ImageBuffer& image);

private:
    ScalerPtr scaler_;
    int configured_[7] = {-1, -1, -1, -1, -1, -1, -1};
    std::vector<uint16_t> wide_;
};

class ImageToFrame {
public:
    // Into `frame`, whose format, size, colour space and range are set and
    // whose buffers are allocated. `straight`: the frame keeps alpha, so its
    // colours are divided by alpha; otherwise the premultiplied colours are
    // the image laid over black.
    void convert(const host::ImageBuffer& image, AVFrame& frame, bool straight);

private:
    ScalerPtr scaler_;
    int configured_[7] = {-1, -1, -1, -1, -1, -1, -1};
    std::vector<uint8_t> bytes_;
    std::vector<uint16_t> wide_;
};

}  // namespace horavex::cli
