// The line of text the digital and LED clocks show for one frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/clocktime/ShownTime.h"

namespace horavex {

// The line holds 255 wide characters with its terminator.
inline constexpr size_t kTimeTextMaxChars = 254;

// The choices of "Dig Clock Format".
inline constexpr int kFreeFormatIndex = 13;
inline constexpr int kFramecounterIndex = 10;
inline constexpr int kTimecodeIndex = 14;
inline constexpr int kDropFrameTimecodeIndex = 15;
inline constexpr int kDigitalFormatCount = 16;

constexpr bool isTimecodeFormat(int digitalFormat) {
    return digitalFormat == kTimecodeIndex || digitalFormat == kDropFrameTimecodeIndex;
}

// `freeFormatUtf8` is the text of "Dig Clock Free Format"; only format 13 uses
// it. An index outside 0..15 gives an empty line. A negative span (a countdown
// in overtime) leads with "-" in every format but the frame counter, which
// counts timeline frames.
std::wstring buildTimeText(int digitalFormat, const ShownTime& shown, std::string_view freeFormatUtf8);

// The frame within the second of the "hh:mm:ss,ff" format: it counts timeline
// frames, not clock time. A frame rate of 0 or NaN gives 0.
int32_t frameWithinSecond(int32_t frameNumber, double frameRate);

}  // namespace horavex
