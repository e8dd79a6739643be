#include "tools/render/VideoPixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include "ofxapi/OfxNames.h"
#include "tools/render/PixelTransfer.h"

namespace horavex::cli {

namespace {

// Chroma interpolated over the whole width. Exact rounding would cost a 1080p
// frame some 30 ms on the way in (libswscale's fast converters refuse it)
// for differences of a level.
constexpr int kScaleFlags = SWS_BICUBIC | SWS_FULL_CHR_H_INT;

bool hasAlpha(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

bool isRgb(AVPixelFormat format) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(format);
    return descriptor != nullptr && (descriptor->flags & AV_PIX_FMT_FLAG_RGB) != 0;
}

const int* coefficients(AVColorSpace space) {
    return sws_getCoefficients(space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RESERVED ? SWS_CS_DEFAULT
                                                                                             : static_cast<int>(space));
}

// A scaler for the conversion, made again only when something changed.
SwsContext* scalerFor(ScalerPtr& scaler, int (&configured)[7], int srcWidth, int srcHeight, AVPixelFormat srcFormat,
                      int dstWidth, int dstHeight, AVPixelFormat dstFormat, AVColorSpace space, bool srcFull,
                      bool dstFull) {
    const int key[7] = {srcWidth,  srcHeight, static_cast<int>(srcFormat), static_cast<int>(space),
                        (srcFull ? 1 : 0) | (dstFull ? 2 : 0), dstWidth, dstHeight * 1024 + static_cast<int>(dstFormat)};
    if (scaler && std::equal(std::begin(key), std::end(key), std::begin(configured))) {
        return scaler.get();
    }
    scaler.reset(sws_getContext(srcWidth, srcHeight, srcFormat, dstWidth, dstHeight, dstFormat, kScaleFlags, nullptr,
                                nullptr, nullptr));
    if (!scaler) {
        throw std::runtime_error(std::string("cannot convert ") + (av_get_pix_fmt_name(srcFormat) ?: "?") + " to " +
                                 (av_get_pix_fmt_name(dstFormat) ?: "?"));
    }
    const int* table = coefficients(space);
    sws_setColorspaceDetails(scaler.get(), table, srcFull ? 1 : 0, table, dstFull ? 1 : 0, 0, 1 << 16, 1 << 16);
    std::copy(std::begin(key), std::end(key), std::begin(configured));
    return scaler.get();
}

uint16_t wideSample(float value) {
    if (std::isnan(value)) return 0;
    return static_cast<uint16_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 65535.0f));
}

}  // namespace

AVColorSpace defaultColorSpace(int height) { return height > 576 ? AVCOL_SPC_BT709 : AVCOL_SPC_BT470BG; }

AVPixelFormat withoutFullRangeAlias(AVPixelFormat format, bool& fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
        default: return format;
    }
}

void FrameToImage::convert(const AVFrame& frame, host::ImageBuffer& image) {
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const auto format = withoutFullRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
    if (isRgb(format)) fullRange = true;
    const AVColorSpace space =
        frame.colorspace == AVCOL_SPC_UNSPECIFIED ? defaultColorSpace(frame.height) : frame.colorspace;
    const int width = image.width();
    const int height = image.height();
    const bool bytes = image.format().depth == kOfxBitDepthByte;
    const bool floats = image.format().depth == kOfxBitDepthFloat;
    SwsContext* scaler = scalerFor(scaler_, configured_, frame.width, frame.height, format, width, height,
                                   bytes ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGBA64, space, fullRange, true);

    // The image's top row first, walking down through memory backwards.
    const OfxRectI& b = image.bounds();
    uint8_t* top = reinterpret_cast<uint8_t*>(image.address(b.x1, b.y2 - 1));
    uint8_t* planes[4] = {top, nullptr, nullptr, nullptr};
    int strides[4] = {-image.rowBytes(), 0, 0, 0};
    const std::size_t rowSamples = static_cast<std::size_t>(width) * 4;
    if (floats) {
        wide_.resize(rowSamples * static_cast<std::size_t>(height));
        planes[0] = reinterpret_cast<uint8_t*>(wide_.data());
        strides[0] = static_cast<int>(rowSamples * sizeof(uint16_t));
    }
    sws_scale(scaler, frame.data, frame.linesize, 0, frame.height, planes, strides);

    const bool alpha = hasAlpha(format);
    for (int row = 0; row < height; ++row) {
        std::byte* out = image.address(b.x1, b.y2 - 1 - row);
        if (floats) {
            const uint16_t* in = wide_.data() + rowSamples * static_cast<std::size_t>(row);
            auto* f = reinterpret_cast<float*>(out);
            for (std::size_t i = 0; i < rowSamples; i += 4) {
                const float a = alpha ? static_cast<float>(in[i + 3]) / 65535.0f : 1.0f;
                for (std::size_t c = 0; c < 3; ++c) f[i + c] = static_cast<float>(in[i + c]) / 65535.0f * a;
                f[i + 3] = a;
            }
        } else if (alpha && bytes) {
            auto* p = reinterpret_cast<uint8_t*>(out);
            for (std::size_t i = 0; i < rowSamples; i += 4) {
                const uint32_t a = p[i + 3];
                for (std::size_t c = 0; c < 3; ++c) p[i + c] = static_cast<uint8_t>((p[i + c] * a + 127) / 255);
            }
        } else if (alpha) {
            auto* p = reinterpret_cast<uint16_t*>(out);
            for (std::size_t i = 0; i < rowSamples; i += 4) {
                const uint32_t a = p[i + 3];
                for (std::size_t c = 0; c < 3; ++c) {
                    p[i + c] = static_cast<uint16_t>((uint64_t{p[i + c]} * a + 32767) / 65535);
                }
            }
        }
    }
}

void ImageToFrame::convert(const host::ImageBuffer& image, AVFrame& frame, bool straight) {
    const int width = image.width();
    const int height = image.height();
    const OfxRectI& b = image.bounds();
    const std::string& depth = image.format().depth;
    const std::size_t rowSamples = static_cast<std::size_t>(width) * 4;

    const uint8_t* planes[4] = {nullptr, nullptr, nullptr, nullptr};
    int strides[4] = {0, 0, 0, 0};
    AVPixelFormat from = AV_PIX_FMT_RGBA64;
    if (depth == kOfxBitDepthByte && !straight) {
        from = AV_PIX_FMT_RGBA;
        planes[0] = reinterpret_cast<const uint8_t*>(image.address(b.x1, b.y2 - 1));
        strides[0] = -image.rowBytes();
    } else if (depth == kOfxBitDepthByte) {
        from = AV_PIX_FMT_RGBA;
        bytes_.resize(rowSamples * static_cast<std::size_t>(height));
        for (int row = 0; row < height; ++row) {
            straightenByteRow(reinterpret_cast<const uint8_t*>(image.address(b.x1, b.y2 - 1 - row)),
                              bytes_.data() + rowSamples * static_cast<std::size_t>(row), width);
        }
        planes[0] = bytes_.data();
        strides[0] = static_cast<int>(rowSamples);
    } else if (depth == kOfxBitDepthShort && !straight) {
        planes[0] = reinterpret_cast<const uint8_t*>(image.address(b.x1, b.y2 - 1));
        strides[0] = -image.rowBytes();
    } else {
        if (straight) {
            wide_ = imageToRgba(image).samples;
        } else {
            wide_.resize(rowSamples * static_cast<std::size_t>(height));
            for (int row = 0; row < height; ++row) {
                const auto* in = reinterpret_cast<const float*>(image.address(b.x1, b.y2 - 1 - row));
                uint16_t* out = wide_.data() + rowSamples * static_cast<std::size_t>(row);
                for (std::size_t i = 0; i < rowSamples; ++i) out[i] = wideSample(in[i]);
            }
        }
        planes[0] = reinterpret_cast<const uint8_t*>(wide_.data());
        strides[0] = static_cast<int>(rowSamples * sizeof(uint16_t));
    }
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const auto to = withoutFullRangeAlias(static_cast<AVPixelFormat>(frame.format), fullRange);
    if (isRgb(to)) fullRange = true;
    SwsContext* scaler = scalerFor(scaler_, configured_, width, height, from, frame.width, frame.height, to,
                                   frame.colorspace, true, fullRange);
    sws_scale(scaler, planes, strides, 0, height, frame.data, frame.linesize);
}

}  // namespace horavex::cli
