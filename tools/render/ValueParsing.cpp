#include "tools/render/ValueParsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "common/Saturate.h"

namespace horavex::cli {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// from_chars refuses a leading '+', which people type.
std::string_view withoutPlus(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    return text;
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::optional<int> parseSide(std::string_view text) {
    const std::optional<int64_t> side = parseInteger(text, kMaxImageSide);
    if (!side || *side < 1) {
        return std::nullopt;
    }
    return static_cast<int>(*side);
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string toLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string joinText(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    std::string text;
    text.reserve(size);
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

std::string inQuotes(std::string_view text) { return joinText({"\"", text, "\""}); }

std::optional<double> parseNumber(std::string_view text) {
    text = withoutPlus(trimBlanks(text));
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseRate(std::string_view text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos) {
        return parseNumber(text);
    }
    const std::optional<double> numerator = parseNumber(text.substr(0, slash));
    const std::optional<double> denominator = parseNumber(text.substr(slash + 1));
    if (!numerator || !denominator || *denominator == 0.0) {
        return std::nullopt;
    }
    const double rate = *numerator / *denominator;
    return std::isfinite(rate) ? std::optional<double>(rate) : std::nullopt;
}

std::optional<int> parseWholeNumber(std::string_view text) {
    const std::optional<double> value = parseNumber(text);
    if (!value || std::trunc(*value) != *value) {
        return std::nullopt;
    }
    return saturatingTrunc<int>(*value);
}

std::optional<int64_t> parseInteger(std::string_view text, int64_t limit) {
    text = withoutPlus(trimBlanks(text));
    if (text.empty()) {
        return std::nullopt;
    }
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value > limit || value < -limit) {
        return std::nullopt;
    }
    return value;
}

std::optional<FrameSize> parseSize(std::string_view text) {
    text = trimBlanks(text);
    const std::size_t cross = text.find_first_of("xX*");
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> width = parseSide(text.substr(0, cross));
    const std::optional<int> height = parseSide(text.substr(cross + 1));
    if (!width || !height) {
        return std::nullopt;
    }
    return FrameSize{*width, *height};
}

std::optional<FrameRange> parseFrames(std::string_view text) {
    text = trimBlanks(text);
    // The dash between the ends is the first one that follows a digit, so
    // that negative ends ("-5--1") still read.
    std::size_t dash = std::string_view::npos;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '-' && text[i - 1] >= '0' && text[i - 1] <= '9') {
            dash = i;
            break;
        }
    }
    if (dash == std::string_view::npos) {
        const std::optional<int64_t> frame = parseInteger(text, kMaxFrameNumber);
        if (!frame) {
            return std::nullopt;
        }
        return FrameRange{*frame, *frame};
    }
    const std::optional<int64_t> first = parseInteger(text.substr(0, dash), kMaxFrameNumber);
    const std::optional<int64_t> last = parseInteger(text.substr(dash + 1), kMaxFrameNumber);
    if (!first || !last || *last < *first) {
        return std::nullopt;
    }
    return FrameRange{*first, *last};
}

std::optional<PixelDepth> parseDepth(std::string_view text) {
    const std::string lower = toLower(trimBlanks(text));
    if (lower == "8") return PixelDepth::Byte;
    if (lower == "16") return PixelDepth::Short;
    if (lower == "float" || lower == "32") return PixelDepth::Float;
    return std::nullopt;
}

const char* depthName(PixelDepth depth) {
    switch (depth) {
        case PixelDepth::Byte: return "8";
        case PixelDepth::Short: return "16";
        case PixelDepth::Float: return "float";
    }
    return "?";
}

std::optional<bool> parseBoolean(std::string_view text) {
    const std::string lower = toLower(trimBlanks(text));
    if (lower == "on" || lower == "true" || lower == "yes" || lower == "1") return true;
    if (lower == "off" || lower == "false" || lower == "no" || lower == "0") return false;
    return std::nullopt;
}

std::optional<std::vector<double>> parseNumberList(std::string_view text, std::size_t count) {
    const std::vector<std::string_view> parts = splitAt(text, ',');
    if (parts.size() != count) {
        return std::nullopt;
    }
    std::vector<double> numbers;
    numbers.reserve(count);
    for (std::string_view part : parts) {
        const std::optional<double> value = parseNumber(part);
        if (!value) {
            return std::nullopt;
        }
        numbers.push_back(*value);
    }
    return numbers;
}

std::optional<int> parseChoice(std::string_view text, const std::vector<std::string>& options) {
    const std::string_view trimmed = trimBlanks(text);
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i] == text || options[i] == trimmed) return static_cast<int>(i);
    }
    const std::string lower = toLower(trimmed);
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (toLower(options[i]) == lower) return static_cast<int>(i);
    }
    const std::optional<int64_t> index = parseInteger(trimmed, static_cast<int64_t>(options.size()));
    if (index && *index >= 0 && *index < static_cast<int64_t>(options.size())) {
        return static_cast<int>(*index);
    }
    return std::nullopt;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    // One row of the classic table is enough.
    std::vector<std::size_t> row(b.size() + 1);
    std::iota(row.begin(), row.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t substitution = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> closestNames(std::string_view wanted, const std::vector<Candidate>& candidates,
                                      std::size_t count) {
    const std::string key = toLower(trimBlanks(wanted));
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, candidate index
    ranked.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        std::size_t best = editDistance(key, toLower(candidates[i].name));
        for (const std::string& alias : candidates[i].aliases) {
            best = std::min(best, editDistance(key, toLower(alias)));
        }
        ranked.emplace_back(best, i);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> names;
    for (std::size_t i = 0; i < ranked.size() && names.size() < count; ++i) {
        names.push_back(candidates[ranked[i].second].name);
    }
    return names;
}

bool hasFramePlaceholder(std::string_view pattern) { return pattern.find('#') != std::string_view::npos; }

std::string expandFramePattern(std::string_view pattern, int64_t frame) {
    // Unsigned negation: the smallest int64 has no positive counterpart.
    const uint64_t magnitude = frame < 0 ? uint64_t{0} - static_cast<uint64_t>(frame) : static_cast<uint64_t>(frame);
    const std::string digits = std::to_string(magnitude);
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        if (pattern[i] != '#') {
            out.push_back(pattern[i++]);
            continue;
        }
        std::size_t run = 0;
        while (i < pattern.size() && pattern[i] == '#') {
            ++run;
            ++i;
        }
        std::size_t width = run;
        if (frame < 0) {
            out.push_back('-');
            width = run > 1 ? run - 1 : 0;
        }
        if (digits.size() < width) out.append(width - digits.size(), '0');
        out += digits;
    }
    return out;
}

}  // namespace horavex::cli
