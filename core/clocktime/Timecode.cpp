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
// and small enough that its labels at kMaxTimecodeRate fit 64 bits.
constexpr int64_t kMillisecondLimit = 1'000'000'000'000'000LL;
constexpr int64_t kFrameLimit = 1'000'000'000'000'000LL;

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

int64_t wholeFramesElapsed(double seconds, FrameRateRatio rate) {
    if (!rate.usable() || !std::isfinite(seconds)) {
        return 0;
    }
    const double frames = seconds * static_cast<double>(rate.numerator) / static_cast<double>(rate.denominator);
    // A time near the largest double overflows to an infinity, which the
    // forgiveness below would turn into NaN going downwards.
    if (!std::isfinite(frames)) {
        return frames > 0.0 ? kFrameLimit : -kFrameLimit;
    }
    // An exact frame time comes back from seconds x rate a few ulps either
    // side of its whole number: forgive that much, and no more.
    const double forgiven = frames + 1e-9 * std::max(1.0, std::abs(frames));
    const double limit = static_cast<double>(kFrameLimit);
    return static_cast<int64_t>(std::clamp(std::floor(forgiven), -limit, limit));
}

int64_t framesOfLabel(int64_t hours, int64_t minutes, int64_t seconds, int64_t frames, int32_t framesPerSecond,
                      bool dropFrame) {
    const int64_t fps = std::max<int32_t>(framesPerSecond, 1);
    const int64_t allSeconds = (hours * 60 + minutes) * 60 + seconds;
    const int64_t allMinutes = allSeconds / 60;
    if (!dropFrame || (fps != 30 && fps != 60)) {
        return allSeconds * fps + frames;
    }
    const int64_t dropped = fps / 15;
    // The labels a minute skips stand for the first one it keeps.
    if (allMinutes % 10 != 0 && allSeconds % 60 == 0 && frames < dropped) {
        frames = dropped;
    }
    return allSeconds * fps + frames - dropped * (allMinutes - allMinutes / 10);
}

int64_t labelOfMilliseconds(int64_t milliseconds, int32_t framesPerSecond, bool dropFrame) {
    const int64_t fps = std::max<int32_t>(framesPerSecond, 1);
    const int64_t clamped = std::clamp(milliseconds, -kMillisecondLimit, kMillisecondLimit);
    const int64_t magnitude = clamped < 0 ? -clamped : clamped;
    const int64_t label =
        framesOfLabel(0, 0, magnitude / 1000, (magnitude % 1000) * fps / 1000, framesPerSecond, dropFrame);
    return milliseconds < 0 ? -label : label;
}

int64_t labelsPerDay(int32_t framesPerSecond, bool dropFrame) {
    return framesOfLabel(24, 0, 0, 0, framesPerSecond, dropFrame);
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
    const bool drop = dropFrame && hasDropFrameCount(rate);
    Timecode code;
    if (rate.usable()) {
        code = timecodeFromFrames(shown.timecodeFrames, nominalFrameRate(rate), drop);
    } else {
        // Every field is an int32: the sum cannot overflow 64 bits.
        const int64_t ms =
            ((int64_t{shown.hours} * 60 + shown.minutes) * 60 + shown.seconds) * 1000 + shown.milliseconds;
        const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
        code.seconds = static_cast<int32_t>(seconds % 60);
        code.minutes = static_cast<int32_t>((seconds / 60) % 60);
        code.hours = seconds / 3600;
    }
    if (!shown.isSpan) {
        code.hours %= 24;
    }
    std::array<wchar_t, 64> line{};
    std::swprintf(line.data(), line.size(), drop ? L"%02lld:%02d:%02d;%02d" : L"%02lld:%02d:%02d:%02d",
                  static_cast<long long>(code.hours), code.minutes, code.seconds, code.frames);
    return std::wstring(line.data());
}

}  // namespace horavex
