#include "tools/render/TestPattern.h"

#include <array>
#include <cstdint>

namespace horavex::cli {

RgbaImage makeTestPattern(int width, int height) {
    constexpr uint16_t kBar = 49151;  // 75% of 65535
    constexpr std::array<std::array<uint16_t, 3>, 7> kBars{{
        {kBar, kBar, kBar},
        {kBar, kBar, 0},
        {0, kBar, kBar},
        {0, kBar, 0},
        {kBar, 0, kBar},
        {kBar, 0, 0},
        {0, 0, kBar},
    }};
    RgbaImage picture;
    picture.resize(width, height, 16);
    const int64_t barsEnd = int64_t{height} * 2 / 3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint16_t* p = picture.pixel(x, y);
            if (y < barsEnd) {
                const auto& bar = kBars[static_cast<std::size_t>(int64_t{x} * 7 / width)];
                p[0] = bar[0];
                p[1] = bar[1];
                p[2] = bar[2];
            } else {
                const auto grey =
                    static_cast<uint16_t>(width > 1 ? int64_t{x} * 65535 / (width - 1) : 0);
                p[0] = p[1] = p[2] = grey;
            }
            p[3] = 65535;
        }
    }
    return picture;
}

}  // namespace horavex::cli
