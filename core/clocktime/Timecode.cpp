#include "core/clocktime/Timecode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cwchar>
#include <numeric>

#include "common/Saturate.h"

namespace horavex {
namespace {

// The shown time's own range (see ComputeShownTime): far beyond any clock,
// and small enough that frames at kMaxTimecodeRate stay exact in 64 bits.
constexpr int64_t kMillisecondLimit = 1'000'000'000'000'000LL;

constexpr std::array<int64_t, 5> kNtscMultiples{24, 30, 48, 60, 120};

}  // namespace

FrameRateRatio exactFrameRate(double framesPerSecond) {
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0.0 || framesPerSecond > kMaxTimecodeRate) {
        return {};
    }
    for (const int64_t k : kNtscMultiples) {
        const double ntsc = static_cast<double>(k) * 1000.0 / 1001.0;
        if (std::abs(framesPerSecond - ntsc) < 5e-3) {
            return {k * 1000, 1001};
        }
    }
    const double whole = std::round(framesPerSecond);
    if (whole >= 1.0 && std::abs(framesPerSecond - whole) < 1e-6) {
        return {static_cast<int64_t>(whole), 1};
    }
    const auto thousandths = static_cast<int64_t>(std::round(framesPerSecond * 1000.0));
    if (thousandths <= 0) {
        return {};
    }
    const int64_t divisor = std::gcd(thousandths, int64_t{1000});
    return {thousandths / divisor, 1000 / divisor};
}

double timecodeFrameRate(double framesPerSecond) {
    const FrameRateRatio rate = exactFrameRate(framesPerSecond);
    return rate.usable() ? static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator)
                         : framesPerSecond;
}

int32_t nominalFrameRate(FrameRateRatio rate) {
    if (!rate.usable()) {
        return 1;
    }
    const int64_t rounded = (2 * rate.numerator + rate.denominator) / (2 * rate.denominator);
    return static_cast<int32_t>(std::clamp<int64_t>(rounded, 1, static_cast<int64_t>(kMaxTimecodeRate)));
}

bool hasDropFrameCount(FrameRateRatio rate) {
    return rate == FrameRateRatio{30000, 1001} || rate == FrameRateRatio{60000, 1001};
}

int64_t framesInMilliseconds(int64_t milliseconds, FrameRateRatio rate) {
    if (!rate.usable() || milliseconds <= 0) {
        return 0;
    }
    // usable() rates from exactFrameRate have numerator <= 10^6 and
    // denominator <= 1001; anything larger is taken as unusable here too.
    if (rate.numerator > 1'000'000 || rate.denominator > 1001) {
        return 0;
    }
    const int64_t ms = std::min(milliseconds, kMillisecondLimit);
    // frames = round(ms x num / (1000 x den)), without forming ms x num
    // (which can pass 2^63): whole seconds first, then the rest.
    const int64_t secondsTimesRate = (ms / 1000) * rate.numerator;  // <= 10^12 x 10^6
    const int64_t wholeFrames = secondsTimesRate / rate.denominator;
    const int64_t carried = secondsTimesRate % rate.denominator;
    const int64_t rest = carried * 1000 + (ms % 1000) * rate.numerator + 500 * rate.denominator;
    return wholeFrames + rest / (1000 * rate.denominator);
}

Timecode timecodeFromFrames(int64_t frames, int32_t framesPerSecond, bool dropFrame) {
    const int64_t fps = std::max<int32_t>(framesPerSecond, 1);
    // 10^18 frames lie far beyond any clock, and the labels the drop-frame
    // count adds to them cannot overflow.
    int64_t count = std::clamp<int64_t>(frames, 0, 1'000'000'000'000'000'000LL);
    if (dropFrame && (fps == 30 || fps == 60)) {
        const int64_t dropped = fps / 15;                       // 2 at 30, 4 at 60 per minute
        const int64_t perMinute = fps * 60 - dropped;           // 1798, 3596
        const int64_t perTenMinutes = fps * 600 - 9 * dropped;  // 17982, 35964
        const int64_t tens = count / perTenMinutes;
        const int64_t within = count % perTenMinutes;
        // The first minute of every ten keeps all its labels; each later one
        // skips the first `dropped`.
        count += 9 * dropped * tens;
        if (within > dropped) {
            count += dropped * ((within - dropped) / perMinute);
        }
    }
    Timecode code;
    code.frames = static_cast<int32_t>(count % fps);
    const int64_t totalSeconds = count / fps;
    code.seconds = static_cast<int32_t>(totalSeconds % 60);
    code.minutes = static_cast<int32_t>((totalSeconds / 60) % 60);
    code.hours = totalSeconds / 3600;
    return code;
}

std::wstring timecodeText(const ShownTime& shown, bool dropFrame) {
    const FrameRateRatio rate = exactFrameRate(shown.frameRate);
    // Every field is an int32: the sum cannot overflow 64 bits.
    const int64_t ms = ((int64_t{shown.hours} * 60 + shown.minutes) * 60 + shown.seconds) * 1000 + shown.milliseconds;
    Timecode code;
    const bool drop = dropFrame && hasDropFrameCount(rate);
    if (rate.usable()) {
        code = timecodeFromFrames(framesInMilliseconds(ms, rate), nominalFrameRate(rate), drop);
    } else {
        const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
        code.seconds = static_cast<int32_t>(seconds % 60);
        code.minutes = static_cast<int32_t>((seconds / 60) % 60);
        code.hours = seconds / 3600;
    }
    if (!shown.isSpan) {
        // A time of day rounded up to its last frame reads 24:00:00:00.
        code.hours %= 24;
    }
    std::array<wchar_t, 64> line{};
    std::swprintf(line.data(), line.size(), drop ? L"%02lld:%02d:%02d;%02d" : L"%02lld:%02d:%02d:%02d",
                  static_cast<long long>(code.hours), code.minutes, code.seconds, code.frames);
    return std::wstring(line.data());
}

}  // namespace horavex
