// Straight colour back from the rasteriser's premultiplied bytes: the fast
// walk over a picture (untouched and one-colour stretches skipped, repeated
// words remembered) must give every pixel what the rule gives it alone.
#include "core/drawing/AlphaConversion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace horavex {
namespace {

int distanceOf(uint32_t a, uint32_t b) {
    return a > b ? static_cast<int>(a - b) : static_cast<int>(b - a);
}

uint32_t roundedProduct(uint32_t channel, uint32_t alpha) {
    return (channel * alpha * 2 + 255) / 510;
}

// The rule for one pixel, with nothing remembered between pixels.
uint32_t straightWord(uint32_t word, const std::vector<Color>& colours) {
    const uint32_t alpha = word >> 24;
    if (alpha == 0) {
        return word;
    }
    const uint32_t red = (word >> 16) & 0xFFu;
    const uint32_t green = (word >> 8) & 0xFFu;
    const uint32_t blue = word & 0xFFu;
    int best = 10;
    bool found = false;
    uint32_t colour = 0;
    for (auto it = colours.rbegin(); it != colours.rend(); ++it) {
        const int r = distanceOf(roundedProduct(it->red(), alpha), red);
        const int g = distanceOf(roundedProduct(it->green(), alpha), green);
        const int b = distanceOf(roundedProduct(it->blue(), alpha), blue);
        if (r <= 3 && g <= 3 && b <= 3 && r + g + b < best) {
            best = r + g + b;
            found = true;
            colour = it->argb & 0x00FFFFFFu;
        }
    }
    if (!found) {
        if (alpha == 255) {
            return word;
        }
        auto divided = [alpha](uint32_t channel) {
            const uint32_t value = (channel * 255 + alpha / 2) / alpha;
            return value > 255 ? 255u : value;
        };
        colour = divided(red) << 16 | divided(green) << 8 | divided(blue);
    }
    return (word & 0xFF000000u) | colour;
}

uint32_t premultipliedWord(Color c, uint32_t alpha) {
    return alpha << 24 | roundedProduct(c.red(), alpha) << 16 | roundedProduct(c.green(), alpha) << 8 |
           roundedProduct(c.blue(), alpha);
}

TEST(AlphaConversion, EveryPixelGetsWhatTheRuleGivesItAlone) {
    const std::vector<Color> colours{makeColor(255, 0, 0, 0), makeColor(255, 255, 255, 255),
                                     makeColor(128, 200, 40, 90), makeColor(255, 201, 40, 90)};
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        const int32_t width = 1 + static_cast<int32_t>(random() % 61);
        const int32_t height = 1 + static_cast<int32_t>(random() % 9);
        std::vector<uint32_t> words(static_cast<size_t>(width) * static_cast<size_t>(height));
        // Stretches of one kind of pixel, as pictures have them, so the
        // sixteen- and four-at-a-time skips (up to a row's very end) and the
        // remembered words are all exercised.
        size_t i = 0;
        while (i < words.size()) {
            const Color c = colours[random() % colours.size()];
            const uint32_t kind = random() % 7;
            const size_t run = std::min<size_t>(words.size() - i, 1 + random() % (kind < 2 ? 40 : 9));
            const uint32_t word = kind == 0   ? 0u
                                  : kind == 1 ? (0xFF000000u | c.argb)
                                  : kind == 2 ? premultipliedWord(c, 1 + random() % 254)
                                  : kind == 3 ? (premultipliedWord(c, 1 + random() % 255) ^ (random() % 4))
                                  : kind == 4 ? (0xFF000000u | (c.argb ^ (random() % 8)))
                                              : static_cast<uint32_t>(random());
            // Kind 6: the opaque edge between two opaque colours, where most
            // pixels lie far from every drawn colour and a few near one.
            for (size_t k = 0; k < run; ++k) {
                words[i + k] = kind == 5   ? static_cast<uint32_t>(random())
                               : kind == 6 ? (0xFF000000u | (random() % 3 == 0 ? c.argb ^ (random() % 8)
                                                                                 : static_cast<uint32_t>(random())))
                                           : word;
            }
            i += run;
        }
        std::vector<uint32_t> expected(words.size());
        for (size_t k = 0; k < words.size(); ++k) {
            expected[k] = straightWord(words[k], colours);
        }
        // A part of the picture away from its edges, so that pixels outside
        // the area must stay as they are.
        std::vector<uint32_t> picture(words.size() + static_cast<size_t>(2 * width), 0xDEADBEEFu);
        std::memcpy(picture.data() + width, words.data(), words.size() * sizeof(uint32_t));
        DrawingTarget target;
        target.pixels = reinterpret_cast<uint8_t*>(picture.data());
        target.width = width;
        target.height = height + 2;
        target.rowBytes = static_cast<size_t>(width) * 4;
        target.topDown = true;
        unpremultiplyAreaTowards(target, PixelArea{0, 1, width, height + 1}, colours);
        for (size_t k = 0; k < words.size(); ++k) {
            ASSERT_EQ(picture[static_cast<size_t>(width) + k], expected[k])
                << "round " << round << ", pixel " << k << " was " << std::hex << words[k];
        }
        for (int32_t k = 0; k < width; ++k) {
            ASSERT_EQ(picture[static_cast<size_t>(k)], 0xDEADBEEFu);
            ASSERT_EQ(picture[picture.size() - 1 - static_cast<size_t>(k)], 0xDEADBEEFu);
        }
    }
}

}  // namespace
}  // namespace horavex
