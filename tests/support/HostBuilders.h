// One-call helpers for tests that drive an OFX plug-in through the in-tree
// host: load a bundle and make an instance, make and attach images, and
// read, fill and compare pixels whatever their depth.
#pragma once

#include "host/Host.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace horavex::host::testing {

// The plug-in bundle this build makes (HORAVEX_BUNDLE_PATH).
std::filesystem::path pluginBundlePath();

// A loaded binary, the host bound to its first plug-in and, optionally, one
// instance; members are destroyed instance first, library last.
struct PluginSession {
    PluginSession() = default;
    PluginSession(PluginSession&&) noexcept = default;
    // The instance needs its host and the host its library, so an old session
    // is taken down in that order before the new one moves in.
    PluginSession& operator=(PluginSession&& other) noexcept {
        if (this != &other) {
            effect.reset();
            host.reset();
            library.reset();
            library = std::move(other.library);
            host = std::move(other.host);
            effect = std::move(other.effect);
        }
        return *this;
    }

    std::unique_ptr<PluginLibrary> library;
    std::unique_ptr<Host> host;
    std::unique_ptr<Effect> effect;

    Effect& operator*() const { return *effect; }
    Effect* operator->() const { return effect.get(); }
};

// Opens the bundle, binds a new host to its first plug-in and sends
// OfxActionLoad and OfxActionDescribe. Throws LoadError or
// std::runtime_error (with the failing status) when any of it fails.
PluginSession loadPlugin(const std::filesystem::path& bundle = pluginBundlePath(), HostConfig config = {});
// loadPlugin, then describe-in-context and create an instance of `context`.
PluginSession loadEffect(std::string_view context, const std::filesystem::path& bundle = pluginBundlePath(),
                         const EffectConfig& effectConfig = {}, HostConfig config = {});
PluginSession loadGenerator(const std::filesystem::path& bundle = pluginBundlePath());
PluginSession loadFilter(const std::filesystem::path& bundle = pluginBundlePath());

// `rowBytes` 0 is tight; `negativeRowBytes` makes rows run downwards.
ImageSpec imageSpec(OfxRectI bounds, std::string depth = kOfxBitDepthByte, int rowBytes = 0,
                    bool negativeRowBytes = false);

struct FrameImages {
    std::shared_ptr<ImageBuffer> source;  // null without a "Source" clip
    std::shared_ptr<ImageBuffer> output;
};
// Attaches an image of `format` to "Output" and, when the effect has one, to
// "Source"; the project becomes the frame's region unless the effect's
// config says otherwise (projectFollowsFrame).
FrameImages attachFrame(Effect& effect, const ImageSpec& format);

// RGBA pixels as normalised doubles: byte / 255, short / 65535, float as is.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};
Rgba readPixel(const ImageBuffer& image, int x, int y);
// Integer depths round to the nearest step and saturate.
void writePixel(ImageBuffer& image, int x, int y, Rgba value);
void fillImage(ImageBuffer& image, Rgba value);
// A deterministic picture in which neighbouring pixels differ.
void fillPattern(ImageBuffer& image, unsigned seed = 0);
// Pixels of `region` (clipped to both images) whose channels differ by more
// than `tolerance`.
std::size_t countDifferences(const ImageBuffer& a, const ImageBuffer& b, OfxRectI region, double tolerance = 0.0);
// Pixels of `region` (clipped to the image) that differ from `value`.
std::size_t countPixelsNot(const ImageBuffer& image, OfxRectI region, Rgba value, double tolerance = 0.0);
// Fills every byte outside the pixel rows (row padding) with `value`.
void fillPadding(ImageBuffer& image, std::byte value);
// True when every padding byte still holds `value`.
bool paddingHolds(const ImageBuffer& image, std::byte value);

}  // namespace horavex::host::testing
