// Loading sessions, image attachment and depth-independent pixel helpers.
#include "support/HostBuilders.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace horavex::host::testing {
namespace {

void require(OfxStatus status, const char* what) {
    if (status != kOfxStatOK && status != kOfxStatReplyDefault) {
        throw std::runtime_error(std::string(what) + " failed with status " + std::to_string(status));
    }
}

int componentBytes(const ImageBuffer& image) {
    if (componentCount(image.format().components) != 4) {
        throw std::logic_error("pixel helpers handle RGBA images only");
    }
    const int bytes = bytesPerComponent(image.format().depth);
    if (bytes != 1 && bytes != 2 && bytes != 4) throw std::logic_error("pixel helpers handle byte, short and float");
    if (bytes == 2 && image.format().depth != kOfxBitDepthShort) throw std::logic_error("half floats are not handled");
    return bytes;
}

std::uint16_t quantise(double v, double max) {
    if (std::isnan(v)) return 0;
    return static_cast<std::uint16_t>(std::lround(std::clamp(v, 0.0, 1.0) * max));
}

OfxRectI intersect(OfxRectI a, OfxRectI b) {
    return OfxRectI{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
}

bool close(const Rgba& a, const Rgba& b, double tolerance) {
    return std::fabs(a.r - b.r) <= tolerance && std::fabs(a.g - b.g) <= tolerance &&
           std::fabs(a.b - b.b) <= tolerance && std::fabs(a.a - b.a) <= tolerance;
}

}  // namespace

std::filesystem::path pluginBundlePath() { return HORAVEX_BUNDLE_PATH; }

PluginSession loadPlugin(const std::filesystem::path& bundle, HostConfig config) {
    PluginSession session;
    session.library = std::make_unique<PluginLibrary>(PluginLibrary::open(bundle));
    session.host = std::make_unique<Host>(std::move(config));
    session.host->bind(session.library->plugin(0), session.library->bundlePath().string());
    // A standard host takes any reply to the load action; the MLT profile
    // throws by itself when the reply is not kOfxStatOK.
    session.host->load();
    require(session.host->describe(), "OfxActionDescribe");
    return session;
}

PluginSession loadEffect(std::string_view context, const std::filesystem::path& bundle,
                         const EffectConfig& effectConfig, HostConfig config) {
    PluginSession session = loadPlugin(bundle, std::move(config));
    require(session.host->describeInContext(context), "OfxImageEffectActionDescribeInContext");
    session.effect = session.host->createEffect(context, effectConfig);
    return session;
}

PluginSession loadGenerator(const std::filesystem::path& bundle) {
    return loadEffect(kOfxImageEffectContextGenerator, bundle);
}

PluginSession loadFilter(const std::filesystem::path& bundle) { return loadEffect(kOfxImageEffectContextFilter, bundle); }

ImageSpec imageSpec(OfxRectI bounds, std::string depth, int rowBytes, bool negativeRowBytes) {
    ImageSpec format;
    format.bounds = bounds;
    format.depth = std::move(depth);
    format.rowBytes = rowBytes;
    format.negativeRowBytes = negativeRowBytes;
    return format;
}

FrameImages attachFrame(Effect& effect, const ImageSpec& format) {
    FrameImages images;
    if (Clip* source = effect.findClip(kOfxImageEffectSimpleSourceClipName)) images.source = source->attachImage(format);
    images.output = effect.clip(kOfxImageEffectOutputClipName).attachImage(format);
    if (effect.config().projectFollowsFrame) {
        // Pixel to canonical: x * PAR / scaleX, y / scaleY.
        const double sx = format.renderScale.x > 0.0 ? format.renderScale.x : 1.0;
        const double sy = format.renderScale.y > 0.0 ? format.renderScale.y : 1.0;
        const double par = format.pixelAspectRatio > 0.0 ? format.pixelAspectRatio : 1.0;
        const OfxRectI& b = format.bounds;
        effect.setProjectRegion(OfxRectD{b.x1 * par / sx, b.y1 / sy, b.x2 * par / sx, b.y2 / sy});
    }
    return images;
}

Rgba readPixel(const ImageBuffer& image, int x, int y) {
    const int bytes = componentBytes(image);
    if (bytes == 1) {
        const auto p = image.read<OfxRGBAColourB>(x, y);
        return Rgba{p.r / 255.0, p.g / 255.0, p.b / 255.0, p.a / 255.0};
    }
    if (bytes == 2) {
        const auto p = image.read<OfxRGBAColourS>(x, y);
        return Rgba{p.r / 65535.0, p.g / 65535.0, p.b / 65535.0, p.a / 65535.0};
    }
    const auto p = image.read<OfxRGBAColourF>(x, y);
    return Rgba{p.r, p.g, p.b, p.a};
}

void writePixel(ImageBuffer& image, int x, int y, Rgba v) {
    const int bytes = componentBytes(image);
    if (bytes == 1) {
        image.write(x, y,
                    OfxRGBAColourB{static_cast<unsigned char>(quantise(v.r, 255)),
                                   static_cast<unsigned char>(quantise(v.g, 255)),
                                   static_cast<unsigned char>(quantise(v.b, 255)),
                                   static_cast<unsigned char>(quantise(v.a, 255))});
    } else if (bytes == 2) {
        image.write(x, y,
                    OfxRGBAColourS{quantise(v.r, 65535), quantise(v.g, 65535), quantise(v.b, 65535),
                                   quantise(v.a, 65535)});
    } else {
        image.write(x, y,
                    OfxRGBAColourF{static_cast<float>(v.r), static_cast<float>(v.g), static_cast<float>(v.b),
                                   static_cast<float>(v.a)});
    }
}

void fillImage(ImageBuffer& image, Rgba value) {
    const OfxRectI& b = image.bounds();
    for (int y = b.y1; y < b.y2; ++y) {
        for (int x = b.x1; x < b.x2; ++x) writePixel(image, x, y, value);
    }
}

void fillPattern(ImageBuffer& image, unsigned seed) {
    const OfxRectI& b = image.bounds();
    for (int y = b.y1; y < b.y2; ++y) {
        for (int x = b.x1; x < b.x2; ++x) {
            const unsigned h = (static_cast<unsigned>(x) * 73856093u) ^ (static_cast<unsigned>(y) * 19349663u) ^
                               (seed * 83492791u);
            writePixel(image, x, y,
                       Rgba{(h & 0xff) / 255.0, ((h >> 8) & 0xff) / 255.0, ((h >> 16) & 0xff) / 255.0,
                            ((h >> 24) & 0xff) / 255.0});
        }
    }
}

std::size_t countDifferences(const ImageBuffer& a, const ImageBuffer& b, OfxRectI region, double tolerance) {
    const OfxRectI r = intersect(intersect(region, a.bounds()), b.bounds());
    std::size_t n = 0;
    for (int y = r.y1; y < r.y2; ++y) {
        for (int x = r.x1; x < r.x2; ++x) n += close(readPixel(a, x, y), readPixel(b, x, y), tolerance) ? 0 : 1;
    }
    return n;
}

std::size_t countPixelsNot(const ImageBuffer& image, OfxRectI region, Rgba value, double tolerance) {
    const OfxRectI r = intersect(region, image.bounds());
    std::size_t n = 0;
    for (int y = r.y1; y < r.y2; ++y) {
        for (int x = r.x1; x < r.x2; ++x) n += close(readPixel(image, x, y), value, tolerance) ? 0 : 1;
    }
    return n;
}

namespace {

// Calls `visit` for every padding byte: the bytes of each row past its
// last pixel.
template <class Visit>
void forEachPaddingByte(const ImageBuffer& image, Visit&& visit) {
    const std::size_t pitch = static_cast<std::size_t>(std::abs(image.rowBytes()));
    const std::size_t used = static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.bytesPerPixel());
    for (int row = 0; row < image.height(); ++row) {
        std::byte* start = image.memory() + static_cast<std::size_t>(row) * pitch;
        for (std::size_t i = used; i < pitch; ++i) visit(start[i]);
    }
}

}  // namespace

void fillPadding(ImageBuffer& image, std::byte value) {
    forEachPaddingByte(image, [value](std::byte& b) { b = value; });
}

bool paddingHolds(const ImageBuffer& image, std::byte value) {
    bool holds = true;
    forEachPaddingByte(image, [&](const std::byte& b) { holds = holds && b == value; });
    return holds;
}

}  // namespace horavex::host::testing
