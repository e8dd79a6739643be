// Drawing colours: 32-bit ARGB words, alpha in the top byte and blue in the
// bottom one, the order in which the surface stores a pixel.
#pragma once

#include <cstdint>

#include "core/values/ClockValues.h"

namespace horavex {

struct Color {
    uint32_t argb = 0;

    constexpr uint8_t alpha() const noexcept { return static_cast<uint8_t>(argb >> 24); }
    constexpr uint8_t red() const noexcept { return static_cast<uint8_t>(argb >> 16); }
    constexpr uint8_t green() const noexcept { return static_cast<uint8_t>(argb >> 8); }
    constexpr uint8_t blue() const noexcept { return static_cast<uint8_t>(argb); }

    friend constexpr bool operator==(Color, Color) noexcept = default;
};

constexpr Color makeColor(uint8_t alpha, uint8_t red, uint8_t green, uint8_t blue) noexcept {
    return Color{(uint32_t{alpha} << 24) | (uint32_t{red} << 16) | (uint32_t{green} << 8) |
                 uint32_t{blue}};
}

// Snapshot channels are 0..255; anything outside saturates, so no channel
// wraps to an unrelated value or spills into its neighbour.
constexpr Color colorFromChannels(const ChannelColour& channels) noexcept {
    auto byte = [](int16_t channel) {
        return static_cast<uint8_t>(channel < 0 ? 0 : channel > 255 ? 255 : channel);
    };
    return makeColor(byte(channels.alpha), byte(channels.red), byte(channels.green), byte(channels.blue));
}

}  // namespace horavex
