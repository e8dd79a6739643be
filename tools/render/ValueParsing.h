// Reading the values a person types on the command line: numbers, frame
// sizes and ranges, pixel depths, booleans, lists, choices, and the frame
// number placeholder of file name patterns. Every reader takes the whole
// text (surrounding blanks allowed) or nothing.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavex::cli {

// Larger sides are refused: they are typing mistakes, and a float frame of
// 16384 x 16384 already needs 4 GiB.
inline constexpr int kMaxImageSide = 16384;
// Frame numbers stay far inside the range where a double counts exactly.
inline constexpr int64_t kMaxFrameNumber = 100'000'000;

struct FrameSize {
    int width = 0;
    int height = 0;
};

// Inclusive on both ends.
struct FrameRange {
    int64_t first = 0;
    int64_t last = 0;
    int64_t count() const { return last - first + 1; }
};

enum class PixelDepth { Byte, Short, Float };

std::string_view trimBlanks(std::string_view text);
std::string toLower(std::string_view text);

// The pieces one after another. Messages are built with this rather than
// chains of operator+, in which GCC 12 at -O3 sees overlapping copies that
// are not there (-Wrestrict).
std::string joinText(std::initializer_list<std::string_view> pieces);
// The text in double quotes.
std::string inQuotes(std::string_view text);

// A finite decimal number ("1", "-0.25", "1e3"); NaN and infinities are not
// numbers here.
std::optional<double> parseNumber(std::string_view text);
// A number, or a ratio of two ("30000/1001", as FFmpeg writes frame rates)
// with a divisor that is not 0.
std::optional<double> parseRate(std::string_view text);
// A number without a fraction, saturated to the int range.
std::optional<int> parseWholeNumber(std::string_view text);
// Decimal digits with an optional sign, within [-limit, limit].
std::optional<int64_t> parseInteger(std::string_view text, int64_t limit);

// "WxH" (or "W*H"), each side 1..kMaxImageSide.
std::optional<FrameSize> parseSize(std::string_view text);
// "A-B" with A <= B, or one frame "A"; either end may be negative.
std::optional<FrameRange> parseFrames(std::string_view text);
// "8", "16" or "float" (also "32").
std::optional<PixelDepth> parseDepth(std::string_view text);
const char* depthName(PixelDepth depth);
// on/off, true/false, yes/no, 1/0, in any letter case.
std::optional<bool> parseBoolean(std::string_view text);
// Exactly `count` numbers separated by commas.
std::optional<std::vector<double>> parseNumberList(std::string_view text, std::size_t count);
// An option by its label (exact, else ignoring letter case) or by its index.
std::optional<int> parseChoice(std::string_view text, const std::vector<std::string>& options);

// Up to `count` candidates nearest to `wanted` by edit distance, ignoring
// letter case, nearest first; ties keep the candidates' order. Each
// candidate may have other spellings (a label) that count as well.
struct Candidate {
    std::string name;
    std::vector<std::string> aliases;
};
std::vector<std::string> closestNames(std::string_view wanted, const std::vector<Candidate>& candidates,
                                      std::size_t count);
std::size_t editDistance(std::string_view a, std::string_view b);

// True when the pattern holds a run of '#'.
bool hasFramePlaceholder(std::string_view pattern);
// Replaces every run of '#' with the frame number, zero-padded to the run's
// length ("clock_####.png", 7 -> "clock_0007.png"; -7 -> "clock_-007.png").
std::string expandFramePattern(std::string_view pattern, int64_t frame);

}  // namespace horavex::cli
